# SPDX-License-Identifier: GPL-3.0-or-later
# Under a real Wayland compositor (run by run_in_sway.sh: sway, rootless
# XWayland, the screenshot portal, foot filling the screen in red): the whole
# screen, a region and the same region again are the red of the native
# window, pixel by pixel, so nothing black is filed and none of the program's
# own windows is in them.
set -euo pipefail

fail() {
    echo "FAIL: $*"
    grim "$VIS_OUT/failure.png" 2>/dev/null
    [[ -s $VIS_TMP/app.log ]] && sed 's/^/  app: /' "$VIS_TMP/app.log"
    exit 1
}

# has_title REGEX [SECONDS]: the main window's title matches within the time (10 s).
has_title() {
    local deadline=$((SECONDS + ${2:-10}))
    until [[ $(xdotool getwindowname "$main" 2>/dev/null) =~ $1 ]]; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.1
    done
    sleep 0.5
}
wait_title() { has_title "$1" || fail "title '$(xdotool getwindowname "$main")', not /$1/"; }

# at X Y: the screen point at client X Y of the main window (no frames here).
at() {
    local X Y
    eval "$(xdotool getwindowgeometry --shell "$main" | grep -E '^(X|Y)=')"
    echo $((X + $1)) $((Y + $2))
}

# button K: toolbar button K (27-pixel tiles under a 20-pixel menu bar).
button() {
    # shellcheck disable=SC2046
    xdotool mousemove $(at $((27 * $1 + 14)) 34) click 1
}

# button_until K REGEX: button K, clicked again once if the title does not
# follow: the window may still be moving to where it is laid out when its
# place is read. A click taken twice files one more capture, which the sizes
# checked at the end tell.
button_until() {
    button "$1"
    has_title "$2" 5 || { button "$1"; wait_title "$2"; }
}

# not_red PNM: how many pixels are not the red of the screen.
not_red() { ppmhist -noheader "$1" | awk '$1 < 200 || $2 > 60 || $3 > 60 {n += $5} END {print n + 0}'; }

# Interval 0, quality 70, prefix Capt, hot key F11, a capture delay of 0.5 s:
# sway holds a layout change back up to 200 ms for a window that never
# answers (one just hidden), and shows the old frame meanwhile.
printf '%-100s%-20s\r\n' "$VIS_OUT" "0200001007Capt115   " >"$(dirname "$VIS_EXE")/param.txt"
"$VIS_EXE" >"$VIS_TMP/app.log" 2>&1 &
app=$!
trap 'kill $app 2>/dev/null; wait $app 2>/dev/null' EXIT
main=
for _ in $(seq 100); do
    main=$(xdotool search --onlyvisible --name '^Vistrelle \.\.\.$' 2>/dev/null | head -n 1) && [[ -n $main ]] && break
    sleep 0.1
done
[[ -n $main ]] || fail "no main window on XWayland"
grep -q 'XWayland.*portail' "$VIS_TMP/app.log" || fail "no word of the portal at start-up"
sleep 1.5

button_until 1 '^Dernière capture \.\.\. +1 capture en cours'
button_until 0 '^Vistrelle - Sélectionnez'
# sway has no maximised state: the frozen screen gets the whole output as a
# stacking desktop's maximise would give it (Qt takes either for maximised).
swaymsg "[title=\"^Vistrelle - Sélectionnez\"] fullscreen enable" >/dev/null
sleep 0.5
read -r x0 y0 < <(at 300 400)
xdotool mousemove "$x0" "$y0"
sleep 0.2
xdotool mousedown 1
for s in 1 2 3 4; do
    xdotool mousemove $((x0 + 60 * s)) $((y0 + 40 * s))
    sleep 0.05
done
xdotool mouseup 1
wait_title '^Dernière capture \.\.\. +2 captures en cours'
# aside: the collection window lies over the toolbar; out of the way, as a user drags it.
aside() {
    swaymsg '[title="^Collection$"] move position 1000 600' >/dev/null
    sleep 0.5
}
# The same region again, grabbed anew.
aside
button_until 10 '^Dernière capture \.\.\. +3 captures en cours'
aside
button 5
for _ in $(seq 50); do
    (($(find "$VIS_OUT" -name '*.jpg' | wc -l) == 3)) && break
    sleep 0.1
done
grim "$VIS_OUT/desktop.png" || true

sizes=
for f in "$VIS_OUT"/*.jpg; do
    djpeg -pnm -outfile "$VIS_TMP/shot.pnm" "$f"
    size=$(head -n 2 "$VIS_TMP/shot.pnm" | tr '\n' ' ' | awk '{print $2 "x" $3}')
    sizes+=" $size"
    bad=$(not_red "$VIS_TMP/shot.pnm")
    ((bad == 0)) || fail "$(basename "$f") ($size): $bad pixels are not the red of the screen"
done
[[ $(tr ' ' '\n' <<<"$sizes" | sort | xargs) == "1280x800 240x160 240x160" ]] ||
    fail "captures of$sizes, not 1280x800 and twice 240x160"
echo "whole screen, region and the region again red throughout:$sizes"
