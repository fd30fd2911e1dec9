# A region dragged on the frozen screen is filed: the collection window
# appears and the main window counts one capture.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

start_app
win=$MAIN_WIN
press "$win" alt+e t
wait_for_title "$win" '^Vistrelle - Sélectionnez' 10 || fail "no frozen screen"
sleep 0.5
read -r x y _ _ < <(window_geometry "$win")
xdotool mousemove $((x + 100)) $((y + 100))
sleep 0.2
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((x + 100 + step * 30)) $((y + 100 + step * 20))
    sleep 0.05
done
xdotool mouseup 1

wait_for_title "$win" '^Dernière capture \.\.\. 1 capture en cours \.\.\.$' 10 || fail "nothing filed"
list=$(wait_for_window '^Collection$' 10) || fail "no collection window"
read -r _ _ lw lh < <(window_geometry "$list")
read -r _ _ w h < <(window_geometry "$win")
# 240 x 160 pixels selected, by steps of 100 twips: 3600 x 2400 twips.
((h > 2400 / 15 + 50)) || fail "main window ${w}x${h} does not hold the region"
echo "ok: main ${w}x${h}, collection ${lw}x${lh}"
