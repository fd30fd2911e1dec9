# SPDX-License-Identifier: GPL-3.0-or-later
# The real executable starts and shows its main window within a bounded time.
set -u
source "$VIS_E2E_LIB"

cd "$VIS_TMP" || exit 1
# A copy of the program's folder and a home of its own: a first start writes
# its settings, and they are not to land in the build or the real home.
mkdir app home
cp -r "$(dirname "$VIS_EXE")"/. app/
rm -f app/param.txt
HOME=$VIS_TMP/home "$VIS_TMP/app/$(basename "$VIS_EXE")" >"$VIS_TMP/program.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT

id=$(wait_for_window '^Vistrelle' 20) || { cat "$VIS_TMP/program.log" >&2; fail "no main window"; }
title=$(window_title "$id")
[[ $title == Vistrelle* ]] || fail "unexpected title '$title'"
read -r x y w h <<<"$(window_geometry "$id")"
((w > 0 && h > 0)) || fail "window $id has no size ($w x $h)"
kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
echo "main window '$title' at $x,$y size ${w}x$h"
