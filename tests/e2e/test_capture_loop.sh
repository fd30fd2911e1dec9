# SPDX-License-Identifier: GPL-3.0-or-later
# e2e: one test per case
# The capture loop once captures exist: the frozen screen is reached and
# left by toolbar button 0 and Escape, whatever the collection window, the
# last capture or a window capture left behind. Each case runs on a program
# of its own.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

collection() { wait_for_window '^Collection$' 10 || fail "no collection window"; }

# The frozen screen takes the keys and nothing of the program lies over it,
# so Escape folds it; twice, as the windows may settle either way.
escape_after_capture() {
    start_app
    capture_region 1
    collection >/dev/null
    local round active over deadline
    for round in 1 2; do
        enter_selection
        settle
        deadline=$((SECONDS + 3))
        while ((SECONDS <= deadline)); do
            active=$(xdotool getactivewindow 2>/dev/null) || active=
            [[ $active == "$MAIN_WIN" ]] && break
            sleep 0.1
        done
        [[ $active == "$MAIN_WIN" ]] ||
            fail "round $round: the frozen screen is not the active window; '$(xdotool getwindowname "$active" 2>/dev/null)' is"
        over=$(windows_over "$MAIN_WIN")
        [[ -z $over ]] || fail "round $round: over the frozen screen: $over"
        xdotool key Escape
        wait_for_title "$MAIN_WIN" "$TITLE_CAPTURED" 5 || fail "round $round: Escape did not leave the frozen screen"
        settle
    done
}

# A drag that starts where the last region is shown in the main window
# (its top left) selects on the frozen screen like anywhere else.
drag_over_last_capture() {
    start_app
    capture_region 1
    enter_selection
    settle
    # The region is shown from 1,33 to about 243,195; the collection window
    # lies left of 183.
    drag_in "$MAIN_WIN" 200 120 440 300
    wait_count 2 || fail "a drag starting on the place of the last capture filed nothing"
}

# After a window capture, no press of button 0 files a capture: each one
# enters the selection or changes nothing on screen, and the second one at
# the latest enters it.
button0_after_window_capture() {
    start_app
    capture_region 1
    # Another program's window to capture.
    xlogo -geometry 150x150+300+300 2>/dev/null &
    OTHER_PID=$!
    trap 'kill $OTHER_PID 2>/dev/null; stop_app' EXIT
    wait_for_window '^xlogo$' 10 >/dev/null || fail "xlogo did not start"
    click_button 2
    wait_count 2 || fail "no window capture"
    # The main window as it stands, button 0 hovered like a press leaves it.
    xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
    xdotool mousemove --window "$MAIN_WIN" 14 "$TOOLBAR_Y"
    sleep 0.3
    xdotool mousemove 700 760
    sleep 1
    xwd -id "$MAIN_WIN" -silent >"$VIS_TMP/before.xwd"

    local press
    for press in 1 2; do
        click_button 0
        if wait_for_title "$MAIN_WIN" "$TITLE_SELECT" 3 2>/dev/null; then
            wait_until_maximised "$MAIN_WIN" 10 || fail "press $press: the frozen screen is not maximised"
            settle
            drag_in "$MAIN_WIN" 300 400 540 560
            wait_count 3 || fail "the drag after press $press filed nothing"
            return 0
        fi
        settle
        [[ $(capture_count) == 2 ]] ||
            fail "press $press of button 0 filed a capture: '$(xdotool getwindowname "$MAIN_WIN")'"
        xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
        xdotool mousemove 700 760
        sleep 1
        xwd -id "$MAIN_WIN" -silent >"$VIS_TMP/after.xwd"
        cmp -s "$VIS_TMP/before.xwd" "$VIS_TMP/after.xwd" ||
            fail "press $press of button 0 changed the main window without entering the selection"
    done
    fail "two presses of button 0 did not enter the selection"
}

# A click on a thumbnail while the frozen screen waits (the collection
# window brought forward, as Alt+Tab does) ends the selection as Escape does
# or is ignored; either way the menu bar is there once the selection is left
# and the next selection files a capture.
thumbnail_click_during_selection() {
    start_app
    capture_region 1
    local list title
    list=$(collection)
    enter_selection
    settle
    xdotool windowactivate --sync "$list" 2>/dev/null || true
    sleep 0.3
    xdotool mousemove --window "$list" 55 50 click 1
    sleep 1
    settle
    title=$(xdotool getwindowname "$MAIN_WIN")
    [[ $title =~ $TITLE_SELECT || $title =~ $TITLE_CAPTURED ]] ||
        fail "after a click on the thumbnail during the selection the main window is '$title'"
    if [[ $title =~ $TITLE_SELECT ]]; then
        press "$MAIN_WIN" Escape
        wait_for_title "$MAIN_WIN" "$TITLE_CAPTURED" 5 || fail "Escape after the click on the thumbnail"
    fi
    menu_entry "$MAIN_WIN" alt+e t || fail "the Edition menu is out of reach"
    wait_for_title "$MAIN_WIN" "$TITLE_SELECT" 5 || fail "Edition > Capturer tout l'ecran is out of reach"
    wait_until_maximised "$MAIN_WIN" 10 || fail "the frozen screen is not maximised"
    settle
    drag_in "$MAIN_WIN" 300 400 540 560
    wait_count 2 || fail "the selection after the click on the thumbnail filed nothing"
}

# Edition > Rafraichir la capture hides and shows the collection window
# where it was, use after use (one use soon after another, as the window
# shown again may not have its frame yet).
refresh_keeps_collection_place() {
    start_app
    capture_region 1
    local list x0 y0 x y n
    list=$(collection)
    read -r x0 y0 < <(client_origin "$list")
    for n in 2 3 4 5; do
        menu_entry "$MAIN_WIN" alt+e f || fail "the Edition menu is out of reach"
        wait_for_title "$MAIN_WIN" "$(count_title $n)" 10 || fail "Rafraichir la capture filed nothing"
    done
    settle
    read -r x y < <(client_origin "$list")
    [[ "$x $y" == "$x0 $y0" ]] || fail "the collection window moved from $x0,$y0 to $x,$y"
}

run_case escape_after_capture
run_case drag_over_last_capture
run_case button0_after_window_capture
run_case thumbnail_click_during_selection
run_case refresh_keeps_collection_place
end_cases
