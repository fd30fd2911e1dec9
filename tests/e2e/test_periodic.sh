# SPDX-License-Identifier: GPL-3.0-or-later
# Periodic capture every second after one region: toolbar button 11 starts
# it; each tick files the same region again, and at 10 captures they are
# saved and the collection emptied, while the ticks go on.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

# An interval of 01 second (positions 105-106).
start_app "0200011007Capt111   "
win=$MAIN_WIN
click_tool "$win" 0
wait_for_title "$win" '^Vistrelle - Sélectionnez' 10 || fail "no frozen screen"
wait_until_maximised "$win" 10 || fail "the frozen screen is not maximised"
read -r x y _ _ < <(window_geometry "$win")
drag $((x + 100)) $((y + 100)) $((x + 340)) $((y + 260))
wait_for_count "$win" 1 10 || fail "the region was not filed"
sleep 0.5

click_tool "$win" 11
start=$SECONDS
sleep 14
shopt -s nullglob
files=("$OUT_DIR"/Capt-*.jpg)
count=$(count_of "$win")
((${#files[@]} >= 10)) || fail "after 14 s, ${#files[@]} files in $OUT_DIR (caption '$(window_title "$win")')"
((count >= 1 && count < 10)) || fail "after 14 s the collection holds $count captures: '$(window_title "$win")'"
size=$(jpeg_size "${files[0]}")
[[ $size == "240 160" ]] || fail "${files[0]##*/} is $size, not the 240 x 160 region"
echo "ok: after $((SECONDS - start)) s, ${#files[@]} files saved and $count in the collection"
