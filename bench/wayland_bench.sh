#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-screen capture under Wayland through the screenshot portal, side by
# side with grim (the wlroots screenshot tool) in the same session. Not a
# test and not in CI; needs root (see tests/e2e/run_in_sway.sh).
#
#   bench/wayland_bench.sh [--runs N] build/bin/vistrelle
#
# The desktop of the Wayland end-to-end test (sway headless 1280x800,
# rootless XWayland, the portal, a red foot over the screen) runs the
# program with no capture delay. vis_xwatch clicks toolbar button 1 and
# timestamps, from XWayland's events, the click to the capture shown (title
# changed and the main window drawn again); grim's whole run (start, grab,
# PNG written) is timed around the process. Medians of N (9) each.
set -u

if [[ ${1:-} == --inner ]]; then
    # Inside the session, as its user.
    runs=$2 xwatch=$3
    printf '%-100s%-20s\r\n' "$VIS_OUT" "0200001007Capt110   " >"$(dirname "$VIS_EXE")/param.txt"
    "$VIS_EXE" >"$VIS_TMP/app.log" 2>&1 &
    app=$!
    trap 'kill $app 2>/dev/null' EXIT
    main=
    for _ in $(seq 100); do
        main=$(xdotool search --onlyvisible --name '^Vistrelle \.\.\.$' 2>/dev/null | head -n 1) && [[ -n $main ]] && break
        sleep 0.1
    done
    [[ -n $main ]] || { echo "no main window" >&2; exit 1; }
    "$xwatch" still --still 1000 --timeout 30 >/dev/null
    median() { sort -g | awk '{a[NR] = $1} END {print NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
    shown=() grims=()
    for ((n = 1; n <= runs; n++)); do
        eval "$(xdotool getwindowgeometry --shell "$main" | grep -E '^(X|Y)=')"
        ((n == 1)) && title=" 1 capture en cours" || title=" $n captures en cours"
        line=$("$xwatch" capture --main "$main" --click $((X + 14 + 27)) $((Y + 34)) --title "$title" --still 50 --timeout 20)
        [[ $line == *timeout=0* ]] || { echo "capture $n not shown: $line" >&2; cat "$VIS_TMP/app.log" >&2; exit 1; }
        shown+=("$(grep -o 'shown_ms=[^ ]*' <<<"$line" | cut -d= -f2)")
        "$xwatch" still --still 300 --timeout 10 >/dev/null
        t0=$(date +%s%N)
        grim "$VIS_TMP/grim.png"
        t1=$(date +%s%N)
        grims+=("$(((t1 - t0) / 100000))")
        sleep 0.3
    done
    portal=$(printf '%s\n' "${shown[@]}" | median)
    grim=$(printf '%s\n' "${grims[@]}" | median | awk '{print $1 / 10}')
    echo "portal, click -> capture shown (ms): ${shown[*]}"
    echo "grim, whole run (ms x10):            ${grims[*]}"
    awk -v p="$portal" -v g="$grim" -v n="$runs" 'BEGIN {
        printf "%-44s %10s %10s %7s %8s\n", "medians of " n, "portal", "grim", "ratio", "goal"
        printf "%-44s %10.1f %10.1f %7.2f %8s\n", "whole screen: click -> shown / grim run, ms", p, g, p / g, "<= 1.5"
    }'
    exit 0
fi

runs=9 exe=
while (($#)); do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        -h | --help) sed -n '2,15p' "$0"; exit 0 ;;
        *) exe=$1; shift ;;
    esac
done
[[ -x $exe ]] || { echo "usage: $0 [--runs N] path/to/vistrelle" >&2; exit 2; }
((runs >= 1 && runs <= 29)) || { echo "--runs: 1 to 29 (the collection's size)" >&2; exit 2; }
exe=$(readlink -f "$exe")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build_dir=$(dirname "$(dirname "$exe")")
xwatch=$build_dir/bench/vis_xwatch
if [[ ! -x $xwatch ]]; then
    if [[ ! -e /usr/include/X11/extensions/Xdamage.h ]]; then
        ((EUID == 0)) || { echo "libxdamage-dev is missing (apt-get install it as root)" >&2; exit 1; }
        apt-get install -y --no-install-recommends libxdamage-dev >/dev/null || exit 1
    fi
    cmake "$build_dir" >/dev/null && cmake --build "$build_dir" --target vis_xwatch >/dev/null ||
        { echo "could not build vis_xwatch" >&2; exit 1; }
fi
bash "$here/../tests/e2e/run_in_sway.sh" "$here/wayland_bench.sh" "$exe" --inner "$runs" "$xwatch" 2>&1 |
    grep -v '^dbus-daemon\|^SpiRegistry'
exit "${PIPESTATUS[0]}"
