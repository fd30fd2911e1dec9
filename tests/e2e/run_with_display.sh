#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one end-to-end script against the real executable on a private X
# server with a window manager and a tray host:  run_with_display.sh SCRIPT EXE
# The script sees DISPLAY, VIS_EXE and a fresh work folder VIS_TMP, and its
# exit code is returned. Everything started here is stopped by process id.
set -u
script=${1:?script}
exe=${2:?executable}

VIS_TMP=$(mktemp -d "${TMPDIR:-/tmp}/vis-e2e.XXXXXX")
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$VIS_TMP"
}
trap cleanup EXIT

# VIS_XVFB_ARGS: more options for the server (word-split). The server picks a
# free display number itself and writes it to the pipe: scripts running side
# by side never race for one. A script may ask for its own screen size with a
# line "# xvfb-screen: WIDTHxHEIGHTxDEPTH".
screen=${VIS_XVFB_SCREEN:-$(sed -n 's/^# xvfb-screen: *//p' "$script" | head -n 1)}
exec {fd}<> <(:)
# shellcheck disable=SC2086
Xvfb -displayfd "$fd" -screen 0 ${screen:-1280x800x24} -nolisten tcp -noreset ${VIS_XVFB_ARGS:-} >"$VIS_TMP/xvfb.log" 2>&1 &
pids+=($!)
display=
read -r -t 20 -u "$fd" display
exec {fd}<&-
[[ -n $display ]] || { echo "Xvfb did not start" >&2; cat "$VIS_TMP/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display"
ready=
for _ in $(seq 1 100); do
    if xdpyinfo >/dev/null 2>&1; then
        ready=1
        break
    fi
    kill -0 "${pids[0]}" 2>/dev/null || break
    sleep 0.1
done
[[ -n $ready ]] || { echo "Xvfb :$display did not start" >&2; cat "$VIS_TMP/xvfb.log" >&2; exit 1; }

if ! xdpyinfo -queryExtensions | grep -q XTEST; then
    echo "the X server has no XTEST: xdotool would press nothing" >&2
    exit 1
fi

export XDG_RUNTIME_DIR="$VIS_TMP/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

openbox --sm-disable >"$VIS_TMP/openbox.log" 2>&1 &
pids+=($!)
# Managing once it has set _NET_SUPPORTING_WM_CHECK on the root; a loaded
# machine may take a while.
wm=
for _ in $(seq 1 200); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        wm=1
        break
    fi
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
done
[[ -n $wm ]] || { echo "openbox did not start" >&2; cat "$VIS_TMP/openbox.log" >&2; exit 1; }

# A notification area (bottom right, 120 x 32), so that the program's tray
# icon has a host, as on a desktop. Up once its "panel" window is mapped and
# openbox manages it (it is in the client list). A trayer that maps its panel
# while openbox is still settling can be left unmapped: then it is started
# again.
tray=
for _ in 1 2 3; do
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 \
        --SetDockType true --transparent false >"$VIS_TMP/trayer.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 1 100); do
        panel=$(xdotool search --onlyvisible --classname '^panel$' 2>/dev/null | head -n 1)
        if [[ -n $panel ]] && xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -qw "$(printf '0x%x' "$panel")"; then
            tray=1
            break 2
        fi
        kill -0 "${pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    kill "${pids[-1]}" 2>/dev/null
    wait "${pids[-1]}" 2>/dev/null
    unset 'pids[-1]'
done
[[ -n $tray ]] || { echo "trayer did not start" >&2; cat "$VIS_TMP/trayer.log" >&2; exit 1; }

export VIS_EXE="$exe" VIS_TMP
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export VIS_E2E_LIB="$here/lib.sh"
bash "$script"
exit $?
