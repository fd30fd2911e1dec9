# SPDX-License-Identifier: GPL-3.0-or-later
# The settings folder made read-only while the program runs (a bind mount in
# a private mount namespace: root ignores file modes). The wrench still reads
# the file loaded from; Options OK and Quit then say the file could not be
# written (one box, not the "endommagé" question), end with status 1, leave
# param.txt as it was and put the capture aside. A start on the read-only
# folder carries the settings over to ~/.config/vistrelle without a question
# and offers the capture back.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/recovery.sh"

OK_BUTTON=(608 168)

# read_only BUTTON: the program folder goes read-only mid-run; BUTTON is 13
# (the options, then OK) or 12 (quit).
read_only() {
    local box
    prepare_app
    cp "$APP_DIR/param.txt" "$VIS_TMP/param.before"
    HOME="$VIS_TMP/home" unshare -m --propagation private sh -c 'mount --bind "$0" "$0" && exec "$0/vistrelle"' \
        "$APP_DIR" >>"$VIS_TMP/app.log" 2>&1 &
    APP_PID=$!
    trap stop_app EXIT
    MAIN_WIN=$(wait_for_window '^Vistrelle \.\.\.$' 20) || fail "no start in the mount namespace"
    sleep 1
    capture_region 1
    nsenter -t "$APP_PID" -m mount -o remount,bind,ro "$APP_DIR"
    ! nsenter -t "$APP_PID" -m touch "$APP_DIR/probe" 2>/dev/null || fail "the folder is still writable"
    if (($1 == 13)); then
        click_button 13
        local options
        options=$(wait_for_window '^Options utilisateur$' 10) || fail "the wrench asked something instead"
        sleep 0.5
        xdotool mousemove --window "$options" "${OK_BUTTON[@]}" click 1
    else
        click_button 12
    fi
    box=$(message_box) || fail "nothing said the settings could not be written"
    sleep 0.5
    screenshot "$VIS_TMP/readonly-$1.xwd"
    [[ -n ${KEEP_SHOT:-} ]] && cp "$VIS_TMP/readonly-$1.xwd" "$KEEP_SHOT-readonly-$1.xwd"
    # One box: its OK ends the program (the question would ask again). A key
    # that a loaded machine delivers before the box has the focus is typed again.
    local try
    for try in 1 2 3; do
        press "$box" Return
        sleep 1
        xwininfo -id "$box" 2>/dev/null | grep -q IsViewable || break
    done
    ended_with 1
    cmp -s "$VIS_TMP/param.before" "$APP_DIR/param.txt" || fail "param.txt changed"
    [[ $(sets) == "1 " ]] || fail "the capture was not put aside: '$(sets)'"

    # On the read-only folder: the settings go to ~/.config, no question but the recovery's.
    launch ro
    answer Return
    wait_count 1 || fail "the capture did not come back"
    cmp -s "$VIS_TMP/param.before" "$VIS_TMP/home/.config/vistrelle/param.txt" ||
        fail "the settings were not carried over: $(cat -A "$VIS_TMP/home/.config/vistrelle/param.txt" 2>&1)"
}
options_read_only() { read_only 13; }
quit_read_only() { read_only 12; }

run_case options_read_only
run_case quit_read_only
end_cases
