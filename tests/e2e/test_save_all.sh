# SPDX-License-Identifier: GPL-3.0-or-later
# A whole-screen capture saved by the File menu's save-all, reached by its
# mnemonics: a JPEG of the screen's size lands in the settings' folder.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

start_app
win=$MAIN_WIN
# Toolbar button 1 (whole screen): the second 27-pixel tile, under the menu bar.
xdotool mousemove --window "$win" 40 40 click 1
wait_for_title "$win" '^Dernière capture \.\.\. 1 capture en cours \.\.\.$' 15 || fail "no whole-screen capture"
sleep 0.5
press "$win" alt+f t
deadline=$((SECONDS + 10))
while ((SECONDS <= deadline)); do
    shopt -s nullglob
    files=("$OUT_DIR"/Capt-*.jpg)
    ((${#files[@]} > 0)) && break
    sleep 0.2
done
((${#files[@]} == 1)) || fail "expected one JPEG in $OUT_DIR, found: $(ls "$OUT_DIR")"
size=$(jpeg_size "${files[0]}")
screen=$(xdpyinfo | awk '/dimensions:/ {print $2}' | tr x ' ')
[[ $size == "$screen" ]] || fail "JPEG is $size, screen is $screen"
echo "ok: ${files[0]##*/} is $size"
