# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for the scripts about monitors, densities and screen sizes (sourced
# after lib.sh and app.sh): a root picture whose every pixel differs from its
# neighbours, the root's pixels as a PPM file, captures saved as BMP, frames.

# The settings record's positions 101-120 with save-all writing BMP files,
# which keep a capture's exact pixels.
BMP_SETTINGS="0200001107Capt111   "

# pattern_root: fills the root window with a picture whose pixel x,y is
# (x mod 256, y mod 256, x / 256 * 16 + y / 256).
pattern_root() {
    local w h
    read -r w h < <(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
    LC_ALL=C awk -v w="$w" -v h="$h" 'BEGIN {
        printf "P6\n%d %d\n255\n", w, h
        for (y = 0; y < h; y++) for (x = 0; x < w; x++)
            printf "%c%c%c", x % 256, y % 256, int(x / 256) % 16 * 16 + int(y / 256) % 16
    }' | pnmtopng >"$VIS_TMP/pattern.png" || fail "could not draw the root picture"
    hsetroot -tile "$VIS_TMP/pattern.png" >/dev/null || fail "hsetroot could not set the root picture"
}

# root_ppm FILE: the root window's pixels, 8 bits a channel.
root_ppm() {
    local try
    # xwd walks the window tree, and a window that goes meanwhile fails it.
    for try in 1 2 3 4 5; do
        xwd -root -silent -out "$VIS_TMP/root.xwd" 2>/dev/null && break
        ((try < 5)) || fail "xwd failed"
        sleep 0.2
    done
    xwdtopnm "$VIS_TMP/root.xwd" 2>/dev/null | pamdepth 255 >"$1"
}

# shot NAME: the whole screen as $VIS_TMP/NAME.png, kept with VIS_SHOTS=DIR.
shot() {
    root_ppm "$VIS_TMP/shot.ppm"
    pnmtopng "$VIS_TMP/shot.ppm" >"$VIS_TMP/$1.png"
    if [[ -n ${VIS_SHOTS:-} ]]; then mkdir -p "$VIS_SHOTS" && cp "$VIS_TMP/$1.png" "$VIS_SHOTS/"; fi
}

# save_all N: Fichier > Enregistrer tout, then prints the N BMP files written,
# in the collection's order: files are written side by side, then named in
# that order, so their change times (the rename's) tell it, not their data's.
save_all() {
    local deadline=$((SECONDS + 15)) files
    menu_entry "$MAIN_WIN" alt+f t || fail "the Fichier menu is out of reach"
    shopt -s nullglob
    until files=("$OUT_DIR"/Capt-*.bmp) && ((${#files[@]} >= $1)); do
        ((SECONDS <= deadline)) || fail "save-all wrote ${#files[@]} BMP files, not $1"
        sleep 0.2
    done
    sleep 0.5
    # Renames within one clock tick share a time: the capture's number in
    # the name comes next.
    stat -c '%.9Z %n' "${files[@]}" | sort -k1,1n -k2,2V | cut -d' ' -f2-
}

# same_pixels BMP PPM X Y W H: the BMP file holds exactly the W x H pixels of
# the PPM file at X,Y.
same_pixels() {
    bmptopnm "$1" 2>/dev/null >"$VIS_TMP/saved.ppm"
    pamcut "$3" "$4" "$5" "$6" "$2" >"$VIS_TMP/expected.ppm"
    cmp -s "$VIS_TMP/saved.ppm" "$VIS_TMP/expected.ppm"
}

# bmp_size BMP: prints "WIDTH HEIGHT".
bmp_size() { bmptopnm "$1" 2>/dev/null | head -c 32 | tr '\n' ' ' | awk '{print $2, $3}'; }

# frame_rect ID: "X Y WIDTH HEIGHT" of the window with its frame, on the root.
frame_rect() {
    xwininfo -id "$(frame_of "$1")" |
        awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF}
             END {print x, y, w, h}'
}

# inside ID X0 Y0 X1 Y1: the window's frame lies within that rectangle.
inside() {
    local x y w h
    read -r x y w h < <(frame_rect "$1")
    ((x >= $2 && y >= $3 && x + w <= $4 && y + h <= $5)) ||
        fail "'$(xdotool getwindowname "$1")' at $x,$y ${w}x$h is not inside $2,$3 - $4,$5"
}
