# SPDX-License-Identifier: GPL-3.0-or-later
# Dialogs opened by real clicks at random moments of the splash window's
# life (it closes two seconds after the start): each one is mapped, on top
# of the program's other windows, and answers. A modal window left unmapped
# would freeze the program. SPLASH_ROUNDS rounds (1 unless given) of the
# four ways in.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

# open_by WAY: the click that opens the dialog, and its title.
open_by() {
    case $1 in
        menu) menu_entry "$MAIN_WIN" alt+o p >/dev/null && echo '^Options utilisateur$' ;;
        wrench) click_tool "$MAIN_WIN" 13 && echo '^Options utilisateur$' ;;
        about) click_tool "$MAIN_WIN" 16 && echo '^À propos de VISTRELLE$' ;;
        # The clock with nothing captured: a message box.
        clock) click_tool "$MAIN_WIN" 11 && echo '^Vistrelle$' ;;
    esac
}

one_try() {
    local way=$1 delay title dialog over
    # From the main window's showing up to a second after the splash has gone.
    delay=$((RANDOM % 30))
    START_PAUSE=$((delay / 10)).$((delay % 10)) start_app
    title=$(open_by "$way") || fail "$way: no click at ${delay}00 ms"
    dialog=$(wait_for_window "$title" 20) || fail "$way at ${delay}00 ms: no dialog on the screen"
    over=$(windows_over "$dialog")
    [[ -z $over ]] || fail "$way at ${delay}00 ms: the dialog lies under $over"
    # It answers: the window manager's close request reaches it.
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    xdotool key --clearmodifiers alt+F4
    wait_until_gone "$dialog" 10 || fail "$way at ${delay}00 ms: the dialog does not answer"
    echo "$way at ${delay}00 ms: ok"
}

# One program each: the splash shows at the start only.
options_by_menu() { one_try menu; }
options_by_wrench() { one_try wrench; }
about_box() { one_try about; }
message_box() { one_try clock; }
for _ in $(seq 1 "${SPLASH_ROUNDS:-1}"); do
    for case in options_by_menu options_by_wrench about_box message_box; do run_case "$case"; done
done
end_cases
