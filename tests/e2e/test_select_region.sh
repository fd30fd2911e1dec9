# SPDX-License-Identifier: GPL-3.0-or-later
# A region dragged on the frozen screen is filed: the collection window
# appears and the main window counts one capture.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

start_app
win=$MAIN_WIN
press "$win" alt+e t
wait_for_title "$win" '^Vistrelle - Sélectionnez' 10 || fail "no frozen screen"
wait_until_maximised "$win" 10 || fail "the frozen screen is not maximised"
read -r x y _ _ < <(window_geometry "$win")
drag $((x + 100)) $((y + 100)) $((x + 340)) $((y + 260))

wait_for_title "$win" '^Dernière capture \.\.\. 1 capture en cours \.\.\.$' 10 || {
    cat "$VIS_TMP/app.log" >&2
    fail "nothing filed"
}
list=$(wait_for_window '^Collection$' 10) || fail "no collection window"
read -r _ _ lw lh < <(window_geometry "$list")
read -r _ _ w h < <(window_geometry "$win")
# 240 x 160 pixels selected, by steps of 100 twips: 3600 x 2400 twips.
((h > 2400 / 15 + 50)) || fail "main window ${w}x${h} does not hold the region"
echo "ok: main ${w}x${h}, collection ${lw}x${lh}"
