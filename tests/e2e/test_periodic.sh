# SPDX-License-Identifier: GPL-3.0-or-later
# Periodic capture after one region: toolbar button 11 starts it; each tick
# files the same region again, and at 10 captures they are saved and the
# collection emptied, while the ticks go on. The clock stops it at any
# moment, right after a save too; a question asked meanwhile stays above the
# windows that each tick shows again.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

# start_with_region INTERVAL: the program with that interval (positions
# 105-106) and one region of 240 x 160 filed.
start_with_region() {
    start_app "0200${1}1007Capt111   "
    click_tool "$MAIN_WIN" 0
    wait_for_title "$MAIN_WIN" '^Vistrelle - Sélectionnez' 10 || fail "no frozen screen"
    wait_until_maximised "$MAIN_WIN" 10 || fail "the frozen screen is not maximised"
    read -r x y _ _ < <(window_geometry "$MAIN_WIN")
    drag $((x + 100)) $((y + 100)) $((x + 340)) $((y + 260))
    wait_for_count "$MAIN_WIN" 1 10 || fail "the region was not filed"
    sleep 0.5
}

saved() {
    shopt -s nullglob
    local files=("$OUT_DIR"/Capt-*.jpg)
    echo "${#files[@]}"
}

saves_and_stops_after_the_save() {
    start_with_region 01
    click_tool "$MAIN_WIN" 11
    local deadline=$((SECONDS + 30)) count files
    until (($(saved) >= 10)); do
        ((SECONDS <= deadline)) || fail "after 30 s, $(saved) files in $OUT_DIR"
        sleep 0.05
    done
    # At once: the collection is empty until the next tick.
    click_tool "$MAIN_WIN" 11
    sleep 3
    [[ -z $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null) ]] ||
        fail "the clock answered with a message instead of stopping"
    count=$(count_of "$MAIN_WIN")
    files=$(saved)
    sleep 3
    ((count == $(count_of "$MAIN_WIN") && files == $(saved))) ||
        fail "the ticks run on: $count then $(count_of "$MAIN_WIN") captures, $files then $(saved) files"
    ((files == 10 && count <= 1)) || fail "$files files saved, $count captures left"
    size=$(jpeg_size "$OUT_DIR/$(ls "$OUT_DIR" | head -n 1)")
    [[ $size == "240 160" ]] || fail "the saved files are $size, not the 240 x 160 region"
}

question_stays_on_top() {
    start_with_region 05
    click_tool "$MAIN_WIN" 11
    local list box first over='' deadline
    # Right after a tick: the next one, which would close the menu, is five
    # seconds away.
    wait_for_count "$MAIN_WIN" 2 10 || fail "no tick"
    first=2
    # Asked from the collection window, which each tick hides and shows.
    list=$(wait_for_window '^Collection$' 10) || fail "no collection window"
    focus_window "$list" || fail "the collection window does not take the focus"
    xdotool mousemove --window "$list" 55 50 click 3
    popup_keys u || fail "no menu on the thumbnail"
    box=$(wait_for_window '^Vistrelle$' 10) || fail "Supprimer tout asked nothing"
    # Two ticks later the box is still (or again) above every window of the
    # program, each tick having shown and raised the main window.
    wait_for_count "$MAIN_WIN" $((first + 2)) 30 || fail "the ticks stopped while the question was open"
    deadline=$((SECONDS + 2))
    until is_viewable "$box" && over=$(windows_over "$box") && [[ -z $over ]]; do
        ((SECONDS <= deadline)) || fail "the question lies under $over"
        sleep 0.1
    done
    # Escape is Annuler: nothing deleted.
    press "$box" Escape
    wait_until_gone "$box" 5 || fail "the question does not answer"
    (($(count_of "$MAIN_WIN") >= first + 2)) || fail "Annuler deleted the captures"
    click_tool "$MAIN_WIN" 11
}

run_case saves_and_stops_after_the_save
run_case question_stays_on_top
end_cases
