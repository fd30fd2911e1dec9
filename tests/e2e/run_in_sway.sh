#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a script inside a private Wayland desktop:  run_in_sway.sh SCRIPT EXE [ARGS...]
# sway (headless, 1280 x 800, XWayland), pipewire and the screenshot portal
# (xdg-desktop-portal with its wlr and gtk backends) on a bus of their own,
# and foot filling the screen in red (ff0000). sway will not run as root, so
# all of it runs as an unprivileged user made for it, in mount and network
# namespaces of its own with a /tmp of its own: XWayland's :0 is seen by
# nothing else on the machine. The script runs as that user and sees
# WAYLAND_DISPLAY, DISPLAY, SWAYSOCK, VIS_EXE (a copy of the program's
# folder), VIS_TMP (a work folder) and VIS_OUT (a folder whose files are left
# in $VIS_SWAY_KEEP, when set, after the run). Exit status 77: skipped.
set -u
script=${1:?script}
exe=${2:?executable}
shift 2

skip() {
    echo "SKIP: $*"
    exit 77
}
((EUID == 0)) || skip "needs root (to make the unprivileged user sway needs, and the namespaces)"
for tool in sway Xwayland pipewire foot grim dbus-run-session unshare runuser useradd xdotool djpeg \
    /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-desktop-portal-gtk; do
    command -v "$tool" >/dev/null 2>&1 ||
        skip "$tool missing (scripts/install-deps.sh installs sway, xwayland, pipewire, foot, grim and the portals)"
done

user=vis-wayland-test
if ! id -u "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" ||
        skip "cannot make the user $user"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vis-sway.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
# Becomes /tmp inside: the program's folder, the script and the work folders.
root=$work/tmp
mkdir -m 1777 "$root" "$root/.X11-unix"
cp -r "$(dirname "$exe")" "$root/app"
cp "$script" "$root/script.sh"
cp "$(dirname "${BASH_SOURCE[0]}")/sway_session.sh" "$root/session.sh"
mkdir "$root/work" "$root/out"
chown -R "$user" "$root/app" "$root/work" "$root/out"

unshare -mn --propagation private bash -c '
    mount --bind "$1" /tmp || exit 1
    ip link set lo up 2>/dev/null
    exec runuser -u "$2" -- dbus-run-session -- bash /tmp/session.sh bash /tmp/script.sh "${@:3}"
' _ "$root" "$user" "$@" 2>>"$root/work/bus.log"
status=$?
if [[ -n ${VIS_SWAY_KEEP:-} ]]; then
    mkdir -p "$VIS_SWAY_KEEP" && cp -r "$root/out/." "$VIS_SWAY_KEEP/"
fi
exit $status
