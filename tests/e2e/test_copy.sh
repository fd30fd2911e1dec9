# SPDX-License-Identifier: GPL-3.0-or-later
# Copier puts the current capture on the clipboard as an image: another
# program reads an image/png of the capture's size with the capture's pixels
# (those of the BMP that save-all writes of it). Quit by Ctrl+Q ends the
# program within a second of the answer; with a clipboard manager running
# (xfce4-clipman, which works without a desktop), the copy is still there
# after the program has ended.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

command -v pngtopnm >/dev/null && command -v bmptopnm >/dev/null || fail "pngtopnm and bmptopnm (netpbm) are needed"
manager=
if command -v xfce4-clipman >/dev/null; then
    HOME=$VIS_TMP xfce4-clipman >"$VIS_TMP/clipman.log" 2>&1 &
    manager=$!
fi

# Something on the screen besides black, for the pixels to tell apart.
xlogo -geometry 300x260+150+300 -bg '#c03020' -fg '#20a040' 2>/dev/null &
logo=$!
start_app
trap 'stop_app; kill $manager $logo 2>/dev/null; wait 2>/dev/null || true' EXIT
# Save-all in BMP, so that its file holds the capture's exact pixels.
sed -i 's/^\(.\{107\}\)0/\11/' "$APP_DIR/param.txt"
win=$MAIN_WIN
press "$win" alt+o p
options=$(wait_for_window '^Options utilisateur$' 10) || fail "no options window"
# The options dialog reloads param.txt; its OK (8520, 2280 twips) applies it.
xdotool mousemove --window "$options" $((8520 / 15 + 40)) $((2280 / 15 + 16)) click 1
deadline=$((SECONDS + 10))
while xdotool search --onlyvisible --name '^Options utilisateur$' >/dev/null 2>&1; do
    ((SECONDS <= deadline)) || fail "the options dialog did not close"
    sleep 0.1
done

xdotool windowraise "$win"
xdotool mousemove --window "$win" 40 40 click 1
wait_for_title "$win" '^Dernière capture \.\.\. 1 capture en cours \.\.\.$' 15 || fail "no whole-screen capture"
sleep 1
xdotool windowraise "$win"
xdotool mousemove --window "$win" $((13 + 3 * 27 - 1)) 40 click 1
# The clipboard manager takes the copy over meanwhile: ask again until it answers.
clipboard_png() {
    local deadline=$((SECONDS + 10))
    until xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null && [[ -s $1 ]]; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.2
    done
}
clipboard_png "$VIS_TMP/copy.png" ||
    fail "no image/png on the clipboard: $(xclip -selection clipboard -t TARGETS -o 2>&1 | tr '\n' ' ')"
pngtopnm "$VIS_TMP/copy.png" >"$VIS_TMP/copy.ppm" || fail "the clipboard's image/png is no PNG"
read -r width height < <(awk 'NR == 2 { print $1, $2; exit }' "$VIS_TMP/copy.ppm")
screen=$(xdpyinfo | awk '/dimensions:/ {print $2}')
[[ ${width}x$height == "$screen" ]] || fail "the copy is ${width}x$height, the capture $screen"

press "$win" alt+f t
deadline=$((SECONDS + 10))
shopt -s nullglob
until files=("$OUT_DIR"/Capt-*.bmp) && ((${#files[@]} == 1)); do
    ((SECONDS <= deadline)) || fail "save-all wrote no BMP: $(ls "$OUT_DIR")"
    sleep 0.2
done
sleep 0.5
bmptopnm "${files[0]}" >"$VIS_TMP/saved.ppm" 2>/dev/null
cmp -s "$VIS_TMP/copy.ppm" "$VIS_TMP/saved.ppm" || fail "the copy's pixels are not the capture's"

# Quit by its keyboard shortcut, "Non" to saving the capture: the program
# ends at once (a few hundred ms), with a clipboard manager running or without one.
press "$win" ctrl+q
box=$(wait_for_window '^Enregistrement des captures' 10) || fail "Ctrl+Q asked nothing"
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
sleep 0.3
xdotool key --clearmodifiers Tab
sleep 0.3
t0=$(date +%s%N)
xdotool key --clearmodifiers space
while kill -0 "$APP_PID" 2>/dev/null; do
    (($(date +%s%N) - t0 < 10000000000)) || fail "still running 10 s after the answer"
    sleep 0.02
done
elapsed=$((($(date +%s%N) - t0) / 1000000))
wait "$APP_PID" 2>/dev/null
APP_PID=
# Qt's wait for a clipboard manager that never answers is 5 s; the bound
# tells that wait apart while a loaded machine stays under it.
((elapsed <= 4000)) || fail "the program took $elapsed ms to end after the answer"

if [[ -z $manager ]]; then
    echo "ok: copy ${width}x$height, ended in $elapsed ms; no xfce4-clipman, the copy after the end is not checked"
    exit 0
fi
clipboard_png "$VIS_TMP/after.png" || fail "the copy left with the program"
pngtopnm "$VIS_TMP/after.png" >"$VIS_TMP/after.ppm" || fail "after the end the clipboard holds no PNG"
cmp -s "$VIS_TMP/after.ppm" "$VIS_TMP/saved.ppm" || fail "after the end the clipboard holds another picture"
echo "ok: copy ${width}x$height with the capture's pixels, ended in $elapsed ms, still there after the end with xfce4-clipman"
