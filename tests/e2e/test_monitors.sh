# SPDX-License-Identifier: GPL-3.0-or-later
# xvfb-screen: 3840x1080x24
# Two monitors side by side: the frozen screen covers both, a region dragged
# across the seam is filed pixel for pixel, the whole screen is the whole
# root window, and the windows open on the primary monitor, on the left or
# on the right.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/desktop.sh"

pattern_root
# monitors PRIMARY OTHER: two 1920 x 1080 monitors at 0 and 1920, the one
# named first primary (Qt takes the first one the server lists).
monitors() {
    xrandr --delmonitor A >/dev/null 2>&1 || true
    xrandr --delmonitor B >/dev/null 2>&1 || true
    local m
    for m in "$@"; do
        case $m in
            A) xrandr --setmonitor A 1920/508x1080/286+0+0 "$([[ $m == "$1" ]] && echo screen || echo none)" >/dev/null ;;
            B) xrandr --setmonitor B 1920/508x1080/286+1920+0 "$([[ $m == "$1" ]] && echo screen || echo none)" >/dev/null ;;
        esac
    done
    [[ $(xrandr --listmonitors | head -n 1) == "Monitors: 2" ]] || fail "xrandr made no two monitors"
}

primary_on_the_left() {
    monitors A B
    start_app "$BMP_SETTINGS"
    # Flush right on the primary, at the top.
    read -r x y w h < <(frame_rect "$MAIN_WIN")
    ((x + w == 1920 && y == 0)) || fail "the main window is at $x,$y ${w}x$h, not at the primary's top right"
    wait_splash_gone
    root_ppm "$VIS_TMP/before.ppm"

    enter_selection
    is_maximised "$MAIN_WIN" || fail "the frozen screen does not cover both monitors: $(frame_rect "$MAIN_WIN")"
    shot monitors-frozen
    drag 1700 400 2200 700
    wait_count 1 || fail "the region across the seam was not filed"
    shot monitors-region
    click_button 1
    wait_count 2 || fail "no whole-screen capture"
    mapfile -t files < <(save_all 2)
    same_pixels "${files[0]}" "$VIS_TMP/before.ppm" 1700 400 500 300 ||
        fail "the region is $(bmp_size "${files[0]}"), not the 500 x 300 pixels from 1700,400"
    [[ $(bmp_size "${files[1]}") == "3840 1080" ]] || fail "the whole screen is $(bmp_size "${files[1]}")"
    # The root's pixels, but for the main window's strip above and the tray below.
    bmptopnm "${files[1]}" 2>/dev/null | pamcut 0 100 3840 940 >"$VIS_TMP/whole.ppm"
    pamcut 0 100 3840 940 "$VIS_TMP/before.ppm" | cmp -s - "$VIS_TMP/whole.ppm" ||
        fail "the whole screen is not the root's pixels"
    inside "$MAIN_WIN" 0 0 1920 1080
}

primary_on_the_right() {
    monitors B A
    start_app "$BMP_SETTINGS"
    read -r x y w h < <(frame_rect "$MAIN_WIN")
    ((x >= 1920 && x + w == 3840 && y == 0)) || fail "the main window is at $x,$y ${w}x$h, not on the right monitor"
    wait_splash_gone
    root_ppm "$VIS_TMP/before.ppm"
    enter_selection
    is_maximised "$MAIN_WIN" || fail "the frozen screen does not cover both monitors: $(frame_rect "$MAIN_WIN")"
    drag 1200 500 2400 800
    wait_count 1 || fail "the region was not filed"
    shot monitors-right
    inside "$MAIN_WIN" 1920 0 3840 1080
    mapfile -t files < <(save_all 1)
    same_pixels "${files[0]}" "$VIS_TMP/before.ppm" 1200 500 1200 300 ||
        fail "the region is $(bmp_size "${files[0]}"), not the 1200 x 300 pixels from 1200,500"
}

run_case primary_on_the_left
run_case primary_on_the_right
end_cases
