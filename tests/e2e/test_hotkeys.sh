# SPDX-License-Identifier: GPL-3.0-or-later
# The hot key works while another program has the focus: a quick SHIFT+F11
# tap freezes the screen; SHIFT+1+F11 (whole screen) held for 1.5 s files one
# capture; ten taps file ten.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

start_app
win=$MAIN_WIN
xlogo >/dev/null 2>&1 &
other_pid=$!
trap 'stop_app; kill $other_pid 2>/dev/null' EXIT
other=$(wait_for_window '^xlogo$' 10) || fail "xlogo did not show"

# flash_gone: waits until the flash (a window of its own, "Vistrelle"), shown
# for 300 ms at each capture, has left the screen.
flash_gone() {
    local deadline=$((SECONDS + 5))
    while [[ -n $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null) ]]; do
        ((SECONDS <= deadline)) || fail "the flash stays on the screen"
        sleep 0.05
    done
}

focus_other() { focus_window "$other" || fail "xlogo does not take the focus"; }

focus_other
xdotool key shift+F11
wait_for_title "$win" '^Vistrelle - Sélectionnez' 10 || fail "a SHIFT+F11 tap did not freeze the screen"
# The flash holds the focus for a moment; then the frozen screen has it, for
# Escape.
flash_gone
deadline=$((SECONDS + 5))
until [[ $(xdotool getactivewindow) == "$win" ]]; do
    ((SECONDS <= deadline)) || fail "the frozen screen did not get the focus"
    sleep 0.1
done
xdotool key Escape
wait_for_title "$win" '^Image capturée \.\.\.$' 10 || fail "Escape did not leave the frozen screen"

focus_other
xdotool keydown shift 1 F11
sleep 1.5
xdotool keyup F11 1 shift
wait_for_count "$win" 1 10 || fail "SHIFT+1+F11 held did not file one capture"
# Any capture started by the held keys would be filed by now.
sleep 1
wait_for_count "$win" 1 0 || fail "SHIFT+1+F11 held filed more than one capture"

# Each tap once the previous capture is over: a tap while a capture started
# by the hot key still runs is taken for the same combination, held.
focus_other
for n in $(seq 2 11); do
    xdotool key shift+1+F11
    wait_for_count "$win" "$n" 10 || fail "tap $((n - 1)) of SHIFT+1+F11"
    flash_gone
    sleep 0.2
done
sleep 0.5
wait_for_count "$win" 11 0 || fail "ten taps did not file ten captures"
echo "ok: frozen by a tap, one capture held, ten from ten taps"
