# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for the scripts about what must not be lost (sourced after lib.sh
# and app.sh): starting the same program again, its end, its questions.

unset XDG_STATE_HOME XDG_CONFIG_HOME
RECOVERY=$VIS_TMP/home/.local/state/vistrelle/recovery

# message_box [TIMEOUT]: the id of the program's message box on the screen
# (a dialog titled "Vistrelle"), waited for up to TIMEOUT (10) seconds.
message_box() {
    local w deadline=$((SECONDS + ${1:-10}))
    while ((SECONDS <= deadline)); do
        for w in $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null); do
            if xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG; then
                echo "$w"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# launch [ro]: starts the program of $APP_DIR again, its settings
# and home kept; with "ro", in a mount namespace where $APP_DIR is read-only.
launch() {
    if [[ ${1:-} == ro ]]; then
        HOME="$VIS_TMP/home" unshare -m --propagation private sh -c \
            'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" && exec "$0/vistrelle"' "$APP_DIR" \
            >>"$VIS_TMP/app.log" 2>&1 &
    else
        HOME="$VIS_TMP/home" "$APP_DIR/vistrelle" >>"$VIS_TMP/app.log" 2>&1 &
    fi
    APP_PID=$!
    trap stop_app EXIT
    MAIN_WIN=$(wait_for_window '^Vistrelle \.\.\.$' 20) || fail "the program did not start again"
}

# ended_with STATUS: the program ends, with that status, within 30 s.
ended_with() {
    local status deadline=$((SECONDS + 30))
    while kill -0 "$APP_PID" 2>/dev/null; do
        ((SECONDS <= deadline)) || fail "the program is still running"
        sleep 0.1
    done
    set +e
    wait "$APP_PID"
    status=$?
    set -e
    APP_PID=
    ((status == $1)) || fail "the program ended with status $status, not $1"
}

# copy_current N: the current capture's pixels, as another program reads the copy.
copy_current() {
    local deadline=$((SECONDS + 20))
    xclip -selection clipboard -i /dev/null
    click_button 3
    until xclip -selection clipboard -t image/png -o >"$VIS_TMP/ref$1.png" 2>/dev/null && [[ -s $VIS_TMP/ref$1.png ]]; do
        ((SECONDS <= deadline)) || fail "no copy of capture $1"
        sleep 0.2
    done
    pngtopnm "$VIS_TMP/ref$1.png" >"$VIS_TMP/ref$1.ppm"
}

# answer KEY: waits for the recovery question and presses KEY on it.
answer() {
    local box
    box=$(wait_for_window '^Captures retrouvées$' 15) || fail "no recovery question"
    sleep 0.3
    [[ -n ${SHOT:-} ]] && screenshot "$SHOT"
    press "$box" "$1"
    wait_until_gone "$box" 5 || fail "the question stayed"
}

sets() { ls "$RECOVERY" 2>/dev/null | tr '\n' ' '; }


# prepare_app: the program's folder copied afresh with the default settings,
# its save folder empty, and a home without settings or recovery.
prepare_app() {
    rm -rf "$APP_DIR" "$OUT_DIR" "$VIS_TMP/home/.config" "$VIS_TMP/home/.local"
    mkdir -p "$APP_DIR" "$OUT_DIR" "$VIS_TMP/home"
    cp -r "$(dirname "$VIS_EXE")"/. "$APP_DIR"/
    printf '%-100s%-20s\r\n' "$OUT_DIR" "$DEFAULT_SETTINGS" >"$APP_DIR/param.txt"
}
