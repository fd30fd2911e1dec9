# SPDX-License-Identifier: GPL-3.0-or-later
# The windows at the edge of the program and the mail: the splash at start
# and its end about two seconds later; button 16 opens the About window;
# "?" > Aide > Fenêtre principale opens its help window, a click closes it;
# "Ecrivez-moi" hands a mailto: URL to the desktop's opener (a recording
# stand-in first on the PATH); the print dialog opens and can be cancelled,
# silently.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

mkdir -p "$VIS_TMP/bin"
cat >"$VIS_TMP/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >>"$VIS_TMP/xdg-open.log"
EOF
chmod +x "$VIS_TMP/bin/xdg-open"
export PATH="$VIS_TMP/bin:$PATH"

# The splash shows before the main window is up, with nothing to wait for.
(
    deadline=$((SECONDS + 20))
    until xdotool search --onlyvisible --name '^Vistrelle 1\.3$' >/dev/null 2>&1; do
        ((SECONDS <= deadline)) || exit 1
        sleep 0.05
    done
    seen=$(date +%s.%N)
    while xdotool search --onlyvisible --name '^Vistrelle 1\.3$' >/dev/null 2>&1; do
        (($(date +%s) - ${seen%.*} <= 8)) || exit 2
        sleep 0.05
    done
    echo "$seen $(date +%s.%N)" >"$VIS_TMP/splash"
) &
watcher=$!
start_app
win=$MAIN_WIN
wait "$watcher" || fail "splash: never shown (1) or still there after 8 s (2): status $?"
read -r shown gone <"$VIS_TMP/splash"
splash=$(awk -v a="$shown" -v b="$gone" 'BEGIN { printf "%.1f", b - a }')

# Button 16, the seventeenth tile: the About window; its OK closes it.
xdotool mousemove --window "$win" $((13 + 16 * 27 - 1)) 40 click 1
about=$(wait_for_window '^À propos de VISTRELLE$' 10) || fail "button 16 opened no About window"
read -r ax ay aw ah < <(window_geometry "$about")
xdotool windowactivate --sync "$about" 2>/dev/null || true
xdotool key --clearmodifiers Return
deadline=$((SECONDS + 10))
while xdotool search --onlyvisible --name '^À propos de VISTRELLE$' >/dev/null 2>&1; do
    ((SECONDS <= deadline)) || fail "OK did not close the About window"
    sleep 0.1
done

# "?" > Aide > Fenêtre principale, by the keyboard: the first entry of the submenu.
press "$win" alt+question d Return
help=$(wait_for_window '^Aide fenêtre principale de Vistrelle$' 10) || fail "no main-window help"
read -r _ _ hw hh < <(window_geometry "$help")
((hw > 800 && hw <= 1280 && hh > 400 && hh <= 800)) || fail "help window is ${hw}x${hh}"
xdotool mousemove --window "$help" 300 300 click 1
deadline=$((SECONDS + 10))
while xdotool search --onlyvisible --name '^Aide fenêtre principale' >/dev/null 2>&1; do
    ((SECONDS <= deadline)) || fail "a click on the help picture did not close it"
    sleep 0.1
done

# "?" > Ecrivez-moi: the opener gets a new message to the author, with the subject.
press "$win" alt+question e
deadline=$((SECONDS + 10))
until [[ -s $VIS_TMP/xdg-open.log ]]; do
    ((SECONDS <= deadline)) || fail "nothing was handed to xdg-open"
    sleep 0.1
done
url=$(head -n 1 "$VIS_TMP/xdg-open.log")
[[ $url =~ ^mailto:[^?@]+@[^?]+\?subject=Mes%20observations%20sur%20Vistrelle$ ]] || fail "xdg-open got '$url'"
xdotool search --onlyvisible --name '^Vistrelle$' >/dev/null 2>&1 && fail "a message box came with the mail"

# A capture to print, then Fichier > imprimer: the printer dialog, cancelled.
xdotool mousemove --window "$win" 40 40 click 1
wait_for_title "$win" '^Dernière capture \.\.\. 1 capture en cours \.\.\.$' 15 || fail "no whole-screen capture"
sleep 1
press "$win" alt+f i
dialog=$(wait_for_window '^Imprimer' 15) || fail "no printer dialog"
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
xdotool key --clearmodifiers Escape
deadline=$((SECONDS + 10))
while xdotool search --onlyvisible --name '^Imprimer' >/dev/null 2>&1; do
    ((SECONDS <= deadline)) || fail "Escape did not cancel the printer dialog"
    sleep 0.1
done
sleep 0.5
xdotool search --onlyvisible --name '^Vistrelle$' >/dev/null 2>&1 && fail "cancelling the print said something"
kill -0 "$APP_PID" || fail "the program ended"
echo "ok: splash seen for ${splash} s; About ${aw}x${ah}; help ${hw}x${hh}; $url; print dialog cancelled"
