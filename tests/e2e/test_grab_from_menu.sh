# SPDX-License-Identifier: GPL-3.0-or-later
# The Edit menu's whole-screen entry, reached by its mnemonics, hides the
# program, grabs and shows the frozen screen maximised; Escape folds the
# window to its toolbar strip. Toolbar button 0 then does it again.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

start_app
win=$MAIN_WIN
read -r _ _ w0 h0 < <(window_geometry "$win")
((h0 < 200)) || fail "the start strip is ${h0} pixels high"

press "$win" alt+e t
wait_for_title "$win" "^Vistrelle - Sélectionnez la portion d'image à capturer et relachez le bouton \.\.\.\. sinon touche Echap$" 10 ||
    fail "no frozen screen"
wait_until_maximised "$win" 10 || fail "the frozen screen is not maximised: $(xprop -id "$win" _NET_WM_STATE)"
read -r _ _ w1 h1 < <(window_geometry "$win")
((w1 > 1200 && h1 > 700)) || fail "frozen screen window is ${w1}x${h1}"

press "$win" Escape
wait_for_title "$win" '^Image capturée \.\.\.$' 10 || fail "Escape did not leave the selection"
# Folded once the window manager has it unmaximised at the bar's height.
deadline=$((SECONDS + 10))
while :; do
    read -r _ _ w2 h2 < <(window_geometry "$win")
    ! is_maximised "$win" && ((h2 < 120)) && break
    ((SECONDS <= deadline)) || fail "not folded to the bar after Escape: ${w2}x${h2}, $(xprop -id "$win" _NET_WM_STATE)"
    sleep 0.1
done
# Toolbar button 0 does the same with the flash; a plain Escape, without
# activating the window first, still reaches it.
xdotool mousemove --window "$win" 13 40 click 1
wait_for_title "$win" '^Vistrelle - Sélectionnez' 10 || fail "button 0 did not freeze the screen"
wait_until_maximised "$win" 10 || fail "the frozen screen after button 0 is not maximised"
settle
xdotool key Escape
wait_for_title "$win" '^Image capturée \.\.\.$' 10 || fail "Escape after button 0 did not reach the window"
echo "ok: strip ${w0}x${h0}, frozen ${w1}x${h1}, bar ${w2}x${h2}"
