# SPDX-License-Identifier: GPL-3.0-or-later
# Installing on Linux, and the Debian package made from the installed tree.
#
#   lib/vistrelle/                        the program's folder: executable and data files
#   bin/vistrelle -> ../lib/vistrelle/vistrelle
#   share/applications/vistrelle.desktop  the menu entry
#   share/icons/hicolor/NxN/apps/vistrelle.png
#
# The program finds its data files beside its real path, so the link in bin/
# is enough to start it; its settings go to ~/.config/vistrelle/ when the
# folder is read-only, as it is under /usr.

if(NOT UNIX OR APPLE)
  return()
endif()

set(VIS_INSTALL_DIR lib/vistrelle)

install(TARGETS vistrelle RUNTIME DESTINATION ${VIS_INSTALL_DIR})
# What the generator drew, not whatever else a run left in the build's folder
# (param.txt, saved captures). The .ico files are for Windows.
install(DIRECTORY ${VIS_PROGRAM_DIR}/ DESTINATION ${VIS_INSTALL_DIR}
  FILES_MATCHING PATTERN "*.bmp" PATTERN "*.png" PATTERN "*.wav")

# A relative link keeps the tree movable (DESTDIR, any prefix).
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-bin)
file(CREATE_LINK ../${VIS_INSTALL_DIR}/vistrelle ${CMAKE_BINARY_DIR}/install-bin/vistrelle SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-bin/vistrelle DESTINATION bin)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/vistrelle.desktop DESTINATION share/applications)
install(DIRECTORY ${VIS_THEME_DIR}/ DESTINATION share/icons/hicolor)

# cpack -G DEB in the build folder: vistrelle_<version>_amd64.deb for /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrelle)
set(CPACK_PACKAGE_VENDOR Vistrelle)
set(CPACK_PACKAGE_CONTACT "Vistrelle <dev@vistrelle.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen capture tool with a French interface")
set(CPACK_PACKAGE_DESCRIPTION
  "Freeze the screen and keep a rectangle of it, or take the whole screen or\n"
  "the active window in one click. Captures wait as thumbnails in a collection\n"
  "window, to be saved as JPEG or BMP, copied or printed. Runs under X11, and\n"
  "under Wayland through XWayland and the desktop's screenshot portal.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Depends from the libraries the executable links to (dpkg-shlibdeps). Qt's
# X11 platform and sound plugins come with libqt6gui6 and libqt6multimedia6.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The face the layouts are measured for, Qt's dialogs in French, the icon theme;
# under Wayland the screen is read through the desktop's screenshot portal.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-liberation, qt6-translations-l10n, hicolor-icon-theme, xdg-desktop-portal, "
  "xdg-desktop-portal-gnome | xdg-desktop-portal-kde | xdg-desktop-portal-wlr")
string(JOIN "" CPACK_DEBIAN_PACKAGE_RECOMMENDS ${CPACK_DEBIAN_PACKAGE_RECOMMENDS})
include(CPack)
