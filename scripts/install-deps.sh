#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages the build, the program and its tests need.
# Does nothing when they are all there already.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n qt6-l10n-tools libcanberra-dev
  libturbojpeg0-dev libjpeg-turbo-progs zlib1g-dev libpng-dev libx11-dev libxext-dev libxtst-dev libxi-dev
  libgtest-dev libbenchmark-dev
  # Windows: the cross compiler, GoogleTest's sources for it, and Wine to run the result.
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine64 wine
  fonts-liberation fonts-liberation2
  xvfb xauth xdotool x11-utils x11-apps xclip openbox trayer
  poppler-utils netpbm xfce4-clipman xsettingsd x11-xserver-utils hsetroot socat
  dpkg-dev file desktop-file-utils lintian appstream man-db
  # The portal test's private bus, and the desktop under Wayland for the end-to-end test.
  dbus-daemon libglib2.0-bin sway xwayland foot grim pipewire
  xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
  # A StatusNotifierItem host's watcher for the tray test.
  python3-dbus python3-gi
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
