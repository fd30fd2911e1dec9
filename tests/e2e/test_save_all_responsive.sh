# SPDX-License-Identifier: GPL-3.0-or-later
# A full collection of 4K whole-screen captures saved by the save-all button:
# the window answers the window manager's ping all along (a window that does
# not answer for 5 s is greyed out as "not responding"), the caption counts
# the files, and every file is a JPEG of the screen's size.
# xvfb-screen: 3840x2160x24
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

ping_exe=${VIS_BUILD_DIR:-}/tests/vis_wm_ping
[[ -x $ping_exe ]] || fail "no $ping_exe: build the tests first"

# No capture delay. The captures come through the command line, as a
# desktop's key binding sends them: no clicks to wait for.
start_app 0200001007Capt110
started=$SECONDS
for n in $(seq 1 29); do
    HOME="$VIS_TMP/home" timeout 20 "$APP_DIR/vistrelle" --screen || fail "capture request $n failed"
    wait_for_title "$MAIN_WIN" "$(count_title "$n")" 60 || fail "whole-screen capture $n was not filed"
done
settle
echo "29 captures in $((SECONDS - started)) s"

"$ping_exe" "$MAIN_WIN" 20 >"$VIS_TMP/ping.txt" &
ping_pid=$!
sleep 0.5
titles=$VIS_TMP/titles.txt
click_button 5
clicked=$(date +%s%N)
# The caption while the files are written, and its end.
deadline=$((SECONDS + 120))
while ((SECONDS <= deadline)); do
    title=$(xdotool getwindowname "$MAIN_WIN" 2>/dev/null) || title=
    echo "$title" >>"$titles"
    [[ $title =~ $(count_title 29) ]] && (($(ls "$OUT_DIR" | wc -l) >= 29)) && break
    sleep 0.05
done
saved_ms=$((($(date +%s%N) - clicked) / 1000000))
kill -TERM "$ping_pid"
wait "$ping_pid" || true
read -r _ replies _ longest _ <"$VIS_TMP/ping.txt" || fail "the ping client said nothing"
echo "save-all seen done after ${saved_ms} ms; ping: $replies replies, the longest after ${longest} ms"
((replies > 0)) || fail "no ping was answered during the save"
awk -v l="$longest" 'BEGIN { exit !(l <= 1000) }' || fail "a ping waited ${longest} ms for its answer"
grep -Eq '^Enregistrement [0-9]+ / 29 \.\.\.$' "$titles" || fail "the caption never counted the files: $(sort -u "$titles")"

shopt -s nullglob
files=("$OUT_DIR"/Capt-*.jpg)
((${#files[@]} == 29)) || fail "expected 29 JPEGs in $OUT_DIR, found: $(ls -a "$OUT_DIR")"
(($(ls -A "$OUT_DIR" | wc -l) == 29)) || fail "more than the JPEGs in $OUT_DIR: $(ls -a "$OUT_DIR")"
for f in "${files[@]}"; do
    [[ $(jpeg_size "$f") == "3840 2160" ]] || fail "${f##*/} does not decode as 3840 x 2160"
done
echo "ok: 29 files of 3840 x 2160, longest ping ${longest} ms"
