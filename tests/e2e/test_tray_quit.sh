# SPDX-License-Identifier: GPL-3.0-or-later
# Tray mode and the quit sequence: the icon sits in the notification area;
# Alt+F4 hides both windows and the program lives on; a double click on the
# icon, or a second start of the program (which ends at once), shows them.
# Quitting with a capture asks first: Annuler keeps the program, Oui saves the
# capture and ends it with status 0.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

# is_shown ID: the window is mapped and viewable.
is_shown() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# wait_shown STATE TIMEOUT ID...: waits until every window is shown (STATE
# "shown") or none is ("hidden").
wait_shown() {
    local want=$1 deadline=$((SECONDS + $2)) id ok
    shift 2
    while ((SECONDS <= deadline)); do
        ok=1
        for id in "$@"; do
            if is_shown "$id"; then [[ $want == shown ]] || ok=; else [[ $want == hidden ]] || ok=; fi
        done
        [[ -n $ok ]] && return 0
        sleep 0.1
    done
    return 1
}

alive() { kill -0 "$APP_PID" 2>/dev/null; }

start_app
win=$MAIN_WIN

# The icon: the program's window embedded in a socket of trayer's panel.
panel=$(xdotool search --onlyvisible --classname '^panel$' | head -n 1)
icon=
deadline=$((SECONDS + 10))
while [[ -z $icon ]] && ((SECONDS <= deadline)); do
    icon=$(xwininfo -tree -id "$panel" | awk '/"Vistrelle": \("vistrelle" "Vistrelle"\)/ {print $1; exit}')
    [[ -n $icon ]] || sleep 0.1
done
[[ -n $icon ]] || fail "no icon in the tray: $(xwininfo -tree -id "$panel")"
read -r _ _ iw ih < <(window_geometry "$icon")
((iw == 22 && ih == 30)) || fail "the icon is ${iw}x$ih"
is_shown "$icon" || fail "the icon is not shown"

# A capture, so that the collection window is on the screen too.
click_tool "$win" 1
wait_for_count "$win" 1 15 || fail "no whole-screen capture"
list=$(wait_for_window '^Collection$' 10) || fail "no collection window"

# close_main: Alt+F4 on the main window (openbox's close request).
close_main() {
    focus_window "$win" || fail "the main window does not take the focus"
    xdotool key --clearmodifiers alt+F4
}

close_main
wait_shown hidden 10 "$win" "$list" || fail "Alt+F4 did not hide both windows"
alive || fail "the program ended on Alt+F4"

xdotool mousemove --window "$icon" 11 15 click --repeat 2 --delay 100 1
wait_shown shown 10 "$win" "$list" || fail "a double click on the icon did not show both windows"

close_main
wait_shown hidden 10 "$win" "$list" || fail "Alt+F4 did not hide both windows the second time"
set +e
timeout 10 "$APP_DIR/vistrelle" >"$VIS_TMP/second.log" 2>&1
status=$?
set -e
((status == 0)) || fail "the second start ended with status $status: $(cat "$VIS_TMP/second.log")"
alive || fail "the first program ended at the second start"
wait_shown shown 10 "$win" "$list" || fail "the second start did not show the first one's windows"

# quit_box: button 12 and the question's box, whose id it prints.
quit_box() {
    click_tool "$win" 12
    wait_for_window '^Enregistrement des captures \.\.\. \?\?$' 10
}
box=$(quit_box) || fail "button 12 asked nothing"
# Escape presses the box's Annuler.
press "$box" Escape
wait_shown hidden 10 "$box" || fail "Annuler did not close the question"
alive || fail "the program ended on Annuler"
is_shown "$win" || fail "the main window left on Annuler"
[[ -z $(ls "$OUT_DIR") ]] || fail "Annuler saved: $(ls "$OUT_DIR")"

box=$(quit_box) || fail "button 12 asked nothing the second time"
# Return presses Oui, the default button.
press "$box" Return
set +e
wait "$APP_PID"
status=$?
set -e
APP_PID=
((status == 0)) || fail "the program ended with status $status after Oui"
shopt -s nullglob
files=("$OUT_DIR"/Capt-*.jpg)
((${#files[@]} == 1)) || fail "expected the capture saved in $OUT_DIR, found: $(ls "$OUT_DIR")"
echo "ok: icon ${iw}x$ih, hidden and shown, second start ended, ${files[0]##*/} saved on quitting"
