# SPDX-License-Identifier: GPL-3.0-or-later
# xvfb-screen: 1600x1000x24
# A region saved through the dialog as x.png is a PNG of the exact pixels, and
# the saved marker leaves with the capture deleted; a drag released over the
# title bar at the top left files no band from outside the picture; the size
# label of a drag goes when a hot key freezes the screen anew. Screenshots are
# kept with VIS_SHOTS=DIR.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/desktop.sh"

# label_pixels PPM: how many pixels have the size label's colour.
label_pixels() { ppmhist -noheader "$1" | awk '$1 == 255 && $2 == 255 && $3 == 225 {n += $5} END {print n + 0}'; }

# wait_for_file FILE
wait_for_file() {
    local deadline=$((SECONDS + 10))
    until [[ -s $1 ]]; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.1
    done
    sleep 0.3
}

png_and_marker() {
    pattern_root
    wait_splash_gone
    root_ppm "$VIS_TMP/before.ppm"
    start_app
    enter_selection
    local ox oy dialog png=$OUT_DIR/x.png
    read -r ox oy < <(client_origin "$MAIN_WIN")
    drag_in "$MAIN_WIN" 300 400 540 560
    wait_count 1 || fail "the region was not filed"
    list=$(wait_for_window '^Collection$' 10) || fail "no collection window"
    click_button 4
    dialog=$(wait_for_new_active "$MAIN_WIN" "$list") || fail "button 4 opened no dialog"
    sleep 0.5
    xdotool key --clearmodifiers ctrl+a
    xdotool type "$png"
    xdotool key Return
    wait_until_gone "$dialog" 5 || fail "the save dialog did not take $png"
    wait_for_file "$png" || fail "no x.png in $OUT_DIR: $(ls "$OUT_DIR")"
    [[ $(file -b "$png") == "PNG image data, 240 x 160, 8-bit/color RGB, non-interlaced" ]] ||
        fail "x.png is '$(file -b "$png")'"
    pngtopnm "$png" >"$VIS_TMP/saved.ppm"
    pamcut $((ox + 300)) $((oy + 400)) 240 160 "$VIS_TMP/before.ppm" | cmp -s - "$VIS_TMP/saved.ppm" ||
        fail "x.png does not hold the selected pixels"
    settle
    shot marker-saved
    click_button 7
    wait_count 0 || fail "button 7 did not delete the capture"
    shot marker-deleted
}

title_bar_release() {
    pattern_root
    wait_splash_gone
    root_ppm "$VIS_TMP/before.ppm"
    start_app "$BMP_SETTINGS"
    enter_selection
    local ox oy files w h
    read -r ox oy < <(client_origin "$MAIN_WIN")
    # Released at the screen's top left corner: over the title bar when the
    # frozen screen has one, whose pixels are not the picture's.
    xdotool mousemove --window "$MAIN_WIN" 200 150
    sleep 0.2
    xdotool mousedown 1
    for s in 1 2 3 4; do
        xdotool mousemove $(((ox + 200) * (4 - s) / 4)) $(((oy + 150) * (4 - s) / 4))
        sleep 0.05
    done
    sleep 0.2
    xdotool mouseup 1
    wait_count 1 || fail "the region was not filed"
    mapfile -t files < <(save_all 1)
    read -r w h < <(bmp_size "${files[0]}")
    # Whatever the pointer passed over, the capture starts at the picture's top left.
    ((w >= 190 && h >= 140)) || fail "the capture is ${w}x$h"
    same_pixels "${files[0]}" "$VIS_TMP/before.ppm" 0 0 "$w" "$h" ||
        fail "the ${w}x$h capture is not the screen's top left (client at $ox,$oy)"
}

hot_key_during_drag() {
    hsetroot -solid '#336699' >/dev/null
    start_app
    enter_selection
    # Over 10000 twips both ways: five-digit sizes, the label's whole text shown.
    xdotool mousemove --window "$MAIN_WIN" 40 60
    sleep 0.2
    xdotool mousedown 1
    for s in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --window "$MAIN_WIN" $((40 + 720 * s / 8)) $((60 + 720 * s / 8))
        sleep 0.05
    done
    sleep 0.5
    shot drag-five-digits
    (($(label_pixels "$VIS_TMP/shot.ppm") > 0)) || fail "no size label during the drag"
    xdotool key --clearmodifiers shift+F11
    local deadline=$((SECONDS + 10))
    while :; do
        root_ppm "$VIS_TMP/shot.ppm"
        (($(label_pixels "$VIS_TMP/shot.ppm") == 0)) && break
        ((SECONDS <= deadline)) || { shot label-left; fail "the size label stayed after the hot key"; }
        sleep 0.2
    done
    wait_for_title "$MAIN_WIN" "$TITLE_SELECT" 10 || fail "the hot key left no frozen screen"
    shot drag-hot-key
    xdotool mouseup 1
    sleep 1
    wait_for_title "$MAIN_WIN" "$TITLE_SELECT" 1 || fail "the old drag's release filed a capture"
}

run_case png_and_marker
run_case title_bar_release
run_case hot_key_during_drag
end_cases
