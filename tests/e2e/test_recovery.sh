# SPDX-License-Identifier: GPL-3.0-or-later
# e2e: one test per case
# Nothing lost when the program must end without asking. Killed by SIGTERM
# or SIGHUP with three unsaved captures, it puts them aside in
# ~/.local/state/vistrelle/recovery (mode 0700); the next start asks
# "Captures retrouvées", and Oui files them again with the same pixels (those
# of their copies taken before the kill). A signal during that question
# keeps them for the start after; Non removes them.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/recovery.sh"

command -v pngtopnm >/dev/null && command -v bmptopnm >/dev/null || fail "pngtopnm and bmptopnm (netpbm) are needed"
# Save-all in BMP (position 108), so that the files hold exact pixels.
BMP_SETTINGS="0200001107Capt111"

xlogo -geometry 300x260+150+300 -bg '#c03020' -fg '#20a040' 2>/dev/null &
logo=$!
trap 'kill $logo 2>/dev/null || true' EXIT

# signal_then_back SIGNAL: three captures, the signal, the question, Oui.
signal_then_back() {
    rm -rf "$RECOVERY"
    start_app "$BMP_SETTINGS"
    capture_region 1
    copy_current 1
    click_button 1
    wait_count 2 15 || fail "no whole-screen capture"
    copy_current 2
    enter_selection
    drag_in "$MAIN_WIN" 100 150 260 390
    wait_count 3 || fail "the second region was not filed"
    copy_current 3
    kill "-$1" "$APP_PID"
    ended_with 0
    [[ $(stat -c %a "$RECOVERY") == 700 ]] || fail "the recovery folder is mode $(stat -c %a "$RECOVERY")"
    [[ $(ls "$RECOVERY/1" | tr '\n' ' ') == "1.bmp 2.bmp 3.bmp index " ]] || fail "put aside: $(ls -R "$RECOVERY")"

    launch
    SHOT=$VIS_TMP/question-$1.xwd answer Return
    wait_count 3 || fail "Oui did not file three captures"
    [[ -z $(sets) ]] || fail "Oui left $(sets) in the recovery folder"
    click_button 5
    local i f deadline=$((SECONDS + 10))
    shopt -s nullglob
    until files=("$OUT_DIR"/Capt-*.bmp) && ((${#files[@]} == 3)); do
        ((SECONDS <= deadline)) || fail "save-all of the captures filed again: $(ls "$OUT_DIR")"
        sleep 0.2
    done
    sleep 0.5
    for i in 1 2 3; do
        f=$(printf '%s\n' "${files[@]}" | grep "$i\.bmp$")
        bmptopnm "$f" >"$VIS_TMP/back$i.ppm" 2>/dev/null
        cmp -s "$VIS_TMP/ref$i.ppm" "$VIS_TMP/back$i.ppm" || fail "capture $i came back with other pixels"
    done
    [[ -n ${KEEP_SHOT:-} ]] && cp "$VIS_TMP/question-$1.xwd" "$KEEP_SHOT-$1.xwd"
    return 0
}
by_sigterm() { signal_then_back TERM; }
by_sighup() { signal_then_back HUP; }

# A signal while the question is open keeps them; Non then removes them.
interrupted_then_refused() {
    rm -rf "$RECOVERY"
    start_app
    capture_region 1
    kill -TERM "$APP_PID"
    ended_with 0
    launch
    wait_for_window '^Captures retrouvées$' 15 >/dev/null || fail "no recovery question"
    kill -TERM "$APP_PID"
    ended_with 0
    [[ $(sets) == "1 " ]] || fail "a signal during the question left '$(sets)'"
    launch
    answer Escape
    sleep 1
    [[ -z $(sets) ]] || fail "Non left $(sets)"
    [[ $(count_of "$MAIN_WIN") == 0 ]] || fail "Non filed captures"
}

run_case by_sigterm
run_case by_sighup
run_case interrupted_then_refused
end_cases
