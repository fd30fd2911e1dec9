#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as Debian and a user meet it:  test-package.sh BUILD_DIR
# Built with cpack from the build folder; lintian reports no error and no
# warning; the metainfo and the menu entry validate; installed with dpkg into
# a private copy of /usr and /var (a mount namespace, nothing touches the
# machine's own), started once as root under Xvfb, purged; then nothing of it
# is left under /usr. Ends with 77 (skipped) when a tool is missing.
set -u
build=${1:?build folder}
id=org.vistrelle.Vistrelle

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
skip() {
    echo "SKIPPED: $*"
    exit 77
}

if [[ ${2:-} == --inside ]]; then
    # In the private mount namespace: /usr and /var get a writable layer of
    # their own over the machine's.
    deb=$3 work=$4
    mount -t tmpfs tmpfs "$work/layers" || fail "no tmpfs for the layers"
    for d in usr var; do
        mkdir -p "$work/layers/$d/upper" "$work/layers/$d/work"
        mount -t overlay overlay -o "lowerdir=/$d,upperdir=$work/layers/$d/upper,workdir=$work/layers/$d/work" "/$d" ||
            skip "no overlay mount over /$d here"
    done
    find /usr -xdev | sort >"$work/usr.before"
    # Triggers (manual index, icon cache) would only slow this down.
    dpkg --no-triggers -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i"; }
    [[ -x /usr/bin/vistrelle && -f /usr/share/vistrelle/camera.bmp && -f /usr/share/metainfo/$id.metainfo.xml ]] ||
        fail "the package did not install the program and its data"
    [[ $(/usr/bin/vistrelle --version 2>&1) == "vistrelle 0.1" ]] || fail "vistrelle --version: $(/usr/bin/vistrelle --version 2>&1)"

    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    display=
    read -r -t 20 -u "$fd" display
    exec {fd}<&-
    [[ -n $display ]] || fail "Xvfb did not start"
    trap 'kill $xvfb $app 2>/dev/null' EXIT
    export DISPLAY=:$display HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
    unset XDG_CONFIG_HOME XDG_STATE_HOME
    mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
    cd "$HOME" || fail "no home"

    # As root: the first start writes the default settings into the user's
    # folder without a question and goes on.
    /usr/bin/vistrelle >"$work/app.log" 2>&1 &
    app=$!
    deadline=$((SECONDS + 30))
    until [[ -s $HOME/.config/vistrelle/param.txt ]]; do
        ((SECONDS <= deadline)) && kill -0 "$app" 2>/dev/null || fail "the first start wrote no settings: $(cat "$work/app.log")"
        sleep 0.2
    done
    [[ -z $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null) ]] || fail "the first start asked a question"
    kill "$app"
    wait "$app" 2>/dev/null
    [[ -s $HOME/.config/vistrelle/param.txt ]] || fail "the settings are not in ~/.config/vistrelle: $(cat "$work/app.log")"

    # Second start: up with its pictures from /usr/share/vistrelle (its
    # window icon among them), settings read, then ended.
    /usr/bin/vistrelle >"$work/app.log" 2>&1 &
    app=$!
    win=
    for _ in $(seq 1 100); do
        win=$(xdotool search --onlyvisible --name '^Vistrelle \.\.\.$' 2>/dev/null | head -n 1)
        [[ -n $win ]] && break
        sleep 0.2
    done
    [[ -n $win ]] || fail "no main window: $(cat "$work/app.log")"
    sleep 1
    [[ -z $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null) ]] || fail "the settings were not read back"
    icon=$(xprop -id "$win" _NET_WM_ICON 2>/dev/null | head -c 200)
    [[ $icon == *"(48 x 48)"* || $icon == *"= 48, 48,"* ]] || fail "no window icon from /usr/share/vistrelle: ${icon:0:80}"
    kill "$app"
    wait "$app" 2>/dev/null

    dpkg --no-triggers --purge vistrelle >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg --purge"; }
    find /usr -xdev | sort >"$work/usr.after"
    left=$(diff "$work/usr.before" "$work/usr.after")
    [[ -z $left ]] || fail "left under /usr after the purge: $left"
    grep -i 'warning' "$work/dpkg.log" >&2 && fail "dpkg warned"
    exit 0
fi

for tool in cpack lintian appstreamcli desktop-file-validate dpkg-deb unshare Xvfb xdotool xprop; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -f $build/CPackConfig.cmake ]] || fail "no CPackConfig.cmake in $build"
work=$(mktemp -d "${TMPDIR:-/tmp}/vis-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/pkg/vistrelle_*_*.deb 2>/dev/null | head -n 1)
[[ -f $deb ]] || fail "cpack made no package: $(ls "$work/pkg")"

# lintian at its default level: nothing marked E: or W:.
lintian "$deb" >"$work/lintian.log" 2>&1
tags=$(grep -E '^[EW]: ' "$work/lintian.log")
[[ -z $tags ]] || fail "lintian: $tags"

dpkg-deb -x "$deb" "$work/tree" || fail "dpkg-deb -x"
report=$(appstreamcli validate --no-net "$work/tree/usr/share/metainfo/$id.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $report"
report=$(desktop-file-validate "$work/tree/usr/share/applications/$id.desktop" 2>&1) &&
    ! grep -Eq ': (warning|error):' <<<"$report" || fail "desktop-file-validate: $report"
for f in usr/bin/vistrelle usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/icons/hicolor/48x48/apps/$id.png \
    usr/share/man/man1/vistrelle.1.gz usr/share/man/fr/man1/vistrelle.1.gz \
    usr/share/doc/vistrelle/copyright usr/share/doc/vistrelle/changelog.Debian.gz; do
    [[ -s $work/tree/$f ]] || fail "the package lacks /$f"
done
[[ -z $(find "$work/tree/usr/lib" -mindepth 1 2>/dev/null) ]] || fail "files under /usr/lib: $(find "$work/tree/usr/lib")"

if [[ $(id -u) -ne 0 ]]; then
    echo "ok: $(basename "$deb"): lintian and appstreamcli clean; not installed (needs root)"
    exit 0
fi
mkdir -p "$work/layers"
unshare -m --propagation private bash "$0" "$build" --inside "$deb" "$work"
status=$?
((status == 0)) || exit $status
echo "ok: $(basename "$deb"): lintian and appstreamcli clean, installed, run as root, purged with nothing left under /usr"
