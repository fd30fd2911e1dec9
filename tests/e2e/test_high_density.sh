# SPDX-License-Identifier: GPL-3.0-or-later
# xvfb-screen: 1920x1080x24
# Twice the density (QT_SCALE_FACTOR=2): the toolbar still answers, the frozen
# screen shows the screen's own pixels where they are, and a drag of 300 x 200
# device pixels files exactly those 300 x 200 pixels; a window capture keeps
# its pixels too.
set -euo pipefail
export QT_SCALE_FACTOR=2
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/desktop.sh"

pattern_root
start_app "$BMP_SETTINGS"
wait_splash_gone
shot density-start
root_ppm "$VIS_TMP/before.ppm"
enter_selection
settle
is_maximised "$MAIN_WIN" || fail "the frozen screen does not cover the screen: $(frame_rect "$MAIN_WIN")"
root_ppm "$VIS_TMP/frozen.ppm"
cmp -s "$VIS_TMP/before.ppm" "$VIS_TMP/frozen.ppm" ||
    pamcut 0 200 1920 880 "$VIS_TMP/before.ppm" | cmp -s - <(pamcut 0 200 1920 880 "$VIS_TMP/frozen.ppm") ||
    fail "the frozen screen does not show the screen's pixels where they were"

# The drag, with a look at the rectangle and its label before the release.
xdotool mousemove 1500 700
sleep 0.2
xdotool mousedown 1
for s in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((1500 + 300 * s / 8)) $((700 + 200 * s / 8))
    sleep 0.05
done
sleep 0.4
shot density-drag
xdotool mouseup 1
wait_count 1 || fail "the region was not filed"
shot density-region

xlogo -geometry 200x150+200+600 -bg '#c03020' -fg '#20a040' 2>/dev/null &
logo=$!
trap 'stop_app; kill $logo 2>/dev/null; wait 2>/dev/null || true' EXIT
logo_win=$(wait_for_window '^xlogo$' 10) || fail "xlogo did not start"
read -r lx ly lw lh < <(frame_rect "$logo_win")
root_ppm "$VIS_TMP/logo.ppm"
xdotool windowactivate --sync "$logo_win"
sleep 0.3
# The active window through the keyboard's capture, SHIFT+2+F11.
xdotool keydown shift 2 F11
sleep 0.3
xdotool keyup F11 2 shift
wait_count 2 || fail "no window capture"
mapfile -t files < <(save_all 2)
same_pixels "${files[0]}" "$VIS_TMP/before.ppm" 1500 700 300 200 ||
    fail "the region is $(bmp_size "${files[0]}"), not the 300 x 200 pixels from 1500,700"
same_pixels "${files[1]}" "$VIS_TMP/logo.ppm" "$lx" "$ly" "$lw" "$lh" ||
    fail "the window capture is $(bmp_size "${files[1]}"), not the ${lw} x $lh pixels of the window at $lx,$ly"
shot density-window
inside "$MAIN_WIN" 0 0 1920 1080
echo "ok: 300 x 200 device pixels filed as they were, the window's $lw x $lh too"
