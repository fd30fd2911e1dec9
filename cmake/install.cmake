# SPDX-License-Identifier: GPL-3.0-or-later
# Installing on Linux, and the Debian package made from the installed tree.
#
#   bin/vistrelle                                   the program
#   share/vistrelle/                                its data files
#   share/applications/<id>.desktop                 the menu entry
#   share/metainfo/<id>.metainfo.xml                for software centres
#   share/icons/hicolor/{NxN,scalable}/apps/<id>.{png,svg}
#   share/man/man1/vistrelle.1.gz, share/man/fr/man1/vistrelle.1.gz
#   share/doc/vistrelle/copyright, changelog.Debian.gz
#   share/lintian/overrides/vistrelle
#
# The program finds its data files in ../share/vistrelle from its own folder,
# and then never writes into its installed tree: its settings go to
# ~/.config/vistrelle/, even for root.

if(NOT UNIX OR APPLE)
  return()
endif()

include(GNUInstallDirs)

install(TARGETS vistrelle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# What the generator drew, not whatever else a run left in the build's folder
# (param.txt, saved captures). The .ico files are for Windows.
install(DIRECTORY ${VIS_PROGRAM_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vistrelle
  FILES_MATCHING PATTERN "*.bmp" PATTERN "*.png" PATTERN "*.wav")

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VIS_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${VIS_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/packaging/${VIS_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VIS_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The generator draws the icon at each size as vistrelle.png; the theme
# knows it by the program's id.
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${VIS_THEME_DIR}/${size}x${size}/apps/vistrelle.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${VIS_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${VIS_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Compressed as Debian wants them: best ratio, no name or time stamp inside,
# so that two builds give the same bytes.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(VIS_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/packaging)
function(vis_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${GZIP_EXECUTABLE} -9nc ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()
vis_gzip(${CMAKE_SOURCE_DIR}/man/vistrelle.1 ${VIS_COMPRESSED_DIR}/man/vistrelle.1.gz)
vis_gzip(${CMAKE_SOURCE_DIR}/man/fr/vistrelle.1 ${VIS_COMPRESSED_DIR}/man/fr/vistrelle.1.gz)
vis_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${VIS_COMPRESSED_DIR}/changelog.Debian.gz)
file(MAKE_DIRECTORY ${VIS_COMPRESSED_DIR}/man/fr)
add_custom_target(vis_packaging ALL DEPENDS
  ${VIS_COMPRESSED_DIR}/man/vistrelle.1.gz ${VIS_COMPRESSED_DIR}/man/fr/vistrelle.1.gz
  ${VIS_COMPRESSED_DIR}/changelog.Debian.gz)
install(FILES ${VIS_COMPRESSED_DIR}/man/vistrelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VIS_COMPRESSED_DIR}/man/fr/vistrelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${VIS_COMPRESSED_DIR}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vistrelle)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vistrelle)

# cpack -G DEB in the build folder: vistrelle_<version>-<revision>_amd64.deb for /usr.
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
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VIS_HOMEPAGE})
# Files 0644 and folders 0755 in the control archive, as dpkg expects.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends from the libraries the executable links to (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# One item a line. The face the layouts are measured for, Qt's dialogs in
# French, the icon theme, the shutter sound through PulseAudio or PipeWire;
# under Wayland the screen is read through the desktop's screenshot portal.
set(VIS_RECOMMENDS
  fonts-liberation
  qt6-translations-l10n
  hicolor-icon-theme
  libcanberra-pulse
  xdg-desktop-portal
  "xdg-desktop-portal-gnome | xdg-desktop-portal-kde | xdg-desktop-portal-wlr"
)
list(JOIN VIS_RECOMMENDS ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
include(CPack)
