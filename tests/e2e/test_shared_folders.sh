# SPDX-License-Identifier: GPL-3.0-or-later
# Folders other people can write to. A second, unprivileged user (made here
# and removed afterwards) lays links that lead nowhere at the next automatic
# names in a sticky save folder (mode 1777): save-all writes beside them under
# the next free names, with no failure, and nothing is written through them.
# In a program folder open to all, links at the old names of the settings'
# probe and temporary file lead to the user's files: those stay as they were.
# A FIFO named param.txt is damage (the question), not a hang; Non leaves it.
# A first start with no settings file asks nothing and writes the defaults.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/recovery.sh"

OK_BUTTON=(608 168)
other=vis-other-$$
useradd --system --no-create-home --user-group --shell /usr/sbin/nologin "$other" || fail "cannot make a second user"
trap 'userdel "$other" 2>/dev/null || true; groupdel "$other" 2>/dev/null || true' EXIT
as_other() { setpriv --reuid="$other" --regid="$other" --clear-groups -- "$@"; }
# The other user may pass through the test's folder, as through a home.
chmod 711 "$VIS_TMP"

# options_ok: the wrench, then OK: the settings are written.
options_ok() {
    local options
    click_button 13
    options=$(wait_for_window '^Options utilisateur$' 10) || fail "the wrench showed no options"
    sleep 0.5
    xdotool mousemove --window "$options" "${OK_BUTTON[@]}" click 1
    wait_until_gone "$options" 5 || fail "OK did not close the options"
}

links_at_the_next_names() {
    start_app
    chmod 1777 "$OUT_DIR"
    mkdir -m 777 "$VIS_TMP/through"
    capture_region 1
    click_button 1
    wait_count 2 30 || fail "no whole-screen capture"
    # Every name save-all may pick in the next minute, for captures 1 and 2.
    as_other sh -c 'for s in $(seq 0 60); do
            t=$(date -d "+$s sec" +%H%M%S); t=$((1$t - 1000000))
            for i in 1 2; do ln -s "$2/through/$t$i" "$1/Capt-$t$i.jpg"; done
        done' sh "$OUT_DIR" "$VIS_TMP"
    local links
    links=$(find "$OUT_DIR" -type l -user "$other" | wc -l)
    click_button 5
    local deadline=$((SECONDS + 30)) saved
    until saved=$(find "$OUT_DIR" -type f -name 'Capt-*_2.jpg' | wc -l) && ((saved == 2)); do
        ((SECONDS <= deadline)) || fail "save-all wrote: $(find "$OUT_DIR" -type f)"
        sleep 0.2
    done
    ! message_box 2 >/dev/null || fail "save-all reported a failure"
    ((links == 122)) || fail "$links links were laid"
    (($(find "$OUT_DIR" -type l -user "$other" | wc -l) == links)) || fail "links were replaced"
    [[ -z $(ls "$VIS_TMP/through") ]] || fail "written through a link: $(ls "$VIS_TMP/through")"
    [[ $(find "$OUT_DIR" -type f | wc -l) == 2 ]] || fail "other files: $(find "$OUT_DIR" -type f)"
}

links_at_the_settings_old_names() {
    prepare_app
    chmod 1777 "$APP_DIR"
    echo precious >"$VIS_TMP/victim1"
    echo precious >"$VIS_TMP/victim2"
    as_other ln -s "$VIS_TMP/victim1" "$APP_DIR/.param.txt.probe"
    as_other ln -s "$VIS_TMP/victim2" "$APP_DIR/param.txt.new"
    launch
    sleep 1
    options_ok
    for v in victim1 victim2; do
        [[ $(cat "$VIS_TMP/$v") == precious ]] || fail "$v was written through a link: '$(cat "$VIS_TMP/$v")'"
    done
    [[ -L $APP_DIR/.param.txt.probe && -L $APP_DIR/param.txt.new ]] || fail "the links were removed"
    [[ -f $APP_DIR/param.txt && ! -L $APP_DIR/param.txt ]] || fail "param.txt is not a plain file"
}

fifo_param() {
    local box
    prepare_app
    rm "$APP_DIR/param.txt"
    mkfifo "$APP_DIR/param.txt"
    launch
    box=$(message_box 30) || fail "a FIFO param.txt hangs the start"
    screenshot "$VIS_TMP/fifo.xwd"
    [[ -n ${KEEP_SHOT:-} ]] && cp "$VIS_TMP/fifo.xwd" "$KEEP_SHOT-fifo.xwd"
    # Non, the question's escape: the program ends and leaves the file.
    press "$box" Escape
    ended_with 0
    [[ -p $APP_DIR/param.txt ]] || fail "Non did not leave the FIFO"
}

first_start() {
    prepare_app
    rm "$APP_DIR/param.txt"
    launch
    local deadline=$((SECONDS + 30))
    until [[ -s $APP_DIR/param.txt ]]; do
        ((SECONDS <= deadline)) || fail "no param.txt written"
        sleep 0.2
    done
    ! message_box 4 >/dev/null || fail "the first start asked something"
    kill -0 "$APP_PID" || fail "the first start ended"
    screenshot "$VIS_TMP/first.xwd"
    [[ -n ${KEEP_SHOT:-} ]] && cp "$VIS_TMP/first.xwd" "$KEEP_SHOT-first.xwd"
    [[ $(head -c 1 "$APP_DIR/param.txt") == '"' && $(stat -c %s "$APP_DIR/param.txt") == 124 ]] ||
        fail "param.txt holds '$(cat -A "$APP_DIR/param.txt")'"
    [[ -d $VIS_TMP/home/Pictures ]] || fail "the default folder was not made"
    grep -q "^\"$VIS_TMP/home/Pictures  *0200001007Capt111   \"" "$APP_DIR/param.txt" ||
        fail "param.txt holds '$(cat -A "$APP_DIR/param.txt")'"
}

run_case links_at_the_next_names
run_case links_at_the_settings_old_names
run_case fifo_param
run_case first_start
end_cases
