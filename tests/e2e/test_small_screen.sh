# SPDX-License-Identifier: GPL-3.0-or-later
# xvfb-screen: 1024x768x24
# A 1024 x 768 screen: after a whole-screen
# capture, a region capture and an unfolding of a window the user had moved
# down, the main window stays inside the work area; so do the collection,
# the options dialog and the main-window help, reduced to fit and readable.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/desktop.sh"

start_app
# What the panels leave (all of it here: the tray sets no strut).
read -r wx wy ww wh < <(xprop -root _NET_WORKAREA | tr -d ',' | awk '{print $3, $4, $5, $6}')
work() { inside "$1" "$wx" "$wy" $((wx + ww)) $((wy + wh)); }

click_button 1
wait_count 1 || fail "no whole-screen capture"
work "$MAIN_WIN"
shot small-whole

capture_region 2
# Moved down by the user, folded, unfolded: it comes back up.
xdotool windowmove "$(frame_of "$MAIN_WIN")" 300 500
sleep 0.5
click_button 14
sleep 0.5
click_button 14
sleep 1
work "$MAIN_WIN"
list=$(wait_for_window '^Collection$' 10) || fail "no collection window"
work "$list"

press "$MAIN_WIN" alt+o p
options=$(wait_for_window '^Options utilisateur$' 10) || fail "no options window"
work "$options"
# Its OK (8520, 2280 twips).
xdotool mousemove --window "$options" $((8520 / 15 + 40)) $((2280 / 15 + 16)) click 1
wait_until_gone "$options" 10 || fail "the options dialog did not close"

menu_entry "$MAIN_WIN" alt+question d || fail "the ? menu is out of reach"
sleep 0.3
xdotool key --clearmodifiers Return
help=$(wait_for_window '^Aide fenêtre principale de Vistrelle$' 10) || fail "no main-window help"
sleep 0.5
work "$help"
read -r _ _ hw hh < <(frame_rect "$help")
# Reduced, not cut: most of the screen's width, the picture's proportions (1200 x 690).
((hw > 900 && hh * 1200 / hw > 600)) || fail "the help is ${hw}x$hh"
shot small-help
echo "ok: every window inside ${ww}x$wh; help ${hw}x$hh"
