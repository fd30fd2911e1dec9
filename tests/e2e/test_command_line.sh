# SPDX-License-Identifier: GPL-3.0-or-later
# The command line: help, version and a wrong option answer without a window;
# a capture asked for with no copy running starts one that takes it once up;
# asked of a running copy, the asking process ends with status 0 and the
# running copy takes it (its caption counts one more); Qt's own options pass.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

vis() { HOME="$VIS_TMP/home" "$APP_DIR/vistrelle" "$@"; }
no_window() { [[ -z $(xdotool search --onlyvisible --name '^(Vistrelle|Dernière)' 2>/dev/null) ]]; }

# A copy of the program's folder and settings, none started yet.
start_app
stop_app
deadline=$((SECONDS + 10))
until no_window; do
    ((SECONDS <= deadline)) || fail "the stopped copy left a window"
    sleep 0.1
done

out=$(vis --help) || fail "--help ended with status $?"
[[ $out == *"--region"*"--screen"*"--window"*"--repeat"* && $out == Usage* ]] || fail "--help says: $out"
[[ $(vis --version) =~ ^vistrelle\ [0-9]+\.[0-9]+ ]] || fail "--version says: $(vis --version)"
set +e
err=$(vis --capture 2>&1 >/dev/null)
rc=$?
set -e
((rc == 2)) || fail "an unknown option ended with status $rc"
[[ $(wc -l <<<"$err") == 1 && $err == *"« --capture »"* ]] || fail "an unknown option says: $err"
sleep 0.5
no_window || fail "help, version or a wrong option opened a window"

# No copy running: this one starts and takes the whole screen once it is up.
vis -platform xcb --screen >"$VIS_TMP/app.log" 2>&1 &
APP_PID=$!
trap stop_app EXIT
MAIN_WIN=$(wait_for_window '^(Vistrelle \.\.\.|Dernière capture)' 20) || fail "the new copy shows no window"
wait_count 1 15 || fail "the new copy did not take the whole screen"

# A running copy: each request ends by itself (a request that stayed on as a
# second copy would meet the timeout), and the copy takes it.
for n in 2 3; do
    timeout 10 env HOME="$VIS_TMP/home" "$APP_DIR/vistrelle" --screen -style fusion ||
        fail "the request ended with status $?"
    wait_count $n 10 || fail "the running copy did not take request $((n - 1))"
done
kill -0 "$APP_PID" || fail "the running copy ended"
vis --region || fail "--region ended with status $?"
wait_for_title "$MAIN_WIN" "$TITLE_SELECT" 10 || fail "--region did not freeze the screen"
wait_until_maximised "$MAIN_WIN" 10 || fail "the frozen screen is not up"
drag 300 300 540 460
wait_count 4 || fail "the region after --region was not filed"
# Hidden by the close box, shown again by a plain start.
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
wait_until_gone "$MAIN_WIN" 10 || fail "the close box did not hide the window"
vis || fail "a plain start ended with status $?"
wait_for_window '^Dernière capture' 10 >/dev/null || fail "a plain start did not show the running copy"
kill -0 "$APP_PID" || fail "the running copy ended"
echo "ok: help, version, errors; --screen started a copy; the running copy took --screen twice, --region, show"
