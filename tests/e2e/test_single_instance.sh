# SPDX-License-Identifier: GPL-3.0-or-later
# Another local user cannot keep the program from starting nor answer in its
# place: sockets they plant (listening and answering "ok", or dead) at the
# name the channel once had in /tmp, or in a runtime folder of theirs that
# $XDG_RUNTIME_DIR names, change nothing: the program starts, serves its own
# channel in a private folder, and a later start hands over to it. A socket
# of its own left by a killed copy is replaced.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

if [[ $(id -u) != 0 ]]; then
    echo "skipped: making a second user needs root"
    exit 0
fi
# A copy of the program's folder and settings, none started yet.
start_app
stop_app
other=vise2e$$
useradd --system --no-create-home --shell /usr/sbin/nologin "$other" || fail "useradd failed"
planted=()
helpers=()
cleanup() {
    stop_app
    local p
    for p in "${helpers[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${helpers[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "${planted[@]}"
    userdel "$other" 2>/dev/null || true
}
trap cleanup EXIT

name=vistrelle-${DISPLAY//[^A-Za-z0-9.-]/_}
# plant PATH listening|dead: a socket of the other user's that answers "ok"
# to anything, or one nobody listens on any more.
# As the other user, the program itself the process started (setpriv
# execs it): its id is the one to stop.
as_other=(setpriv --reuid="$other" --regid="$(id -g "$other")" --clear-groups --)
plant() {
    "${as_other[@]}" socat "UNIX-LISTEN:$1,fork,mode=777" EXEC:'echo ok' 2>/dev/null &
    local pid=$!
    planted+=("$1")
    local deadline=$((SECONDS + 5))
    until [[ -S $1 ]]; do
        ((SECONDS <= deadline)) || fail "socat did not listen at $1"
        sleep 0.1
    done
    if [[ $2 == dead ]]; then
        kill -9 "$pid"
        wait "$pid" 2>/dev/null || true
    else
        helpers+=("$pid")
    fi
}

# start ENV...: a copy with these variables; it must show its own window.
start() {
    env "$@" HOME="$VIS_TMP/home" "$APP_DIR/vistrelle" >"$VIS_TMP/app.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=$(wait_for_window '^Vistrelle \.\.\.$' 20) || fail "the program did not start ($*)"
    sleep 1
}
# ask ENV...: a later start with --screen, which must hand over to our copy.
ask() {
    local n=$(($(count_of "$MAIN_WIN") + 1))
    timeout 10 env "$@" HOME="$VIS_TMP/home" "$APP_DIR/vistrelle" --screen || fail "the request ended with status $?"
    wait_count $n 10 || fail "our copy did not take the request ($*)"
}

for kind in listening dead; do
    rm -f "/tmp/vistrelle-0-${DISPLAY//[^A-Za-z0-9.]/_}"
    plant "/tmp/vistrelle-0-${DISPLAY//[^A-Za-z0-9.]/_}" $kind
    start
    ask
    stop_app
done

# $XDG_RUNTIME_DIR names the other user's folder, with a socket that answers
# and the lock held: ours goes to a private folder of its own.
theirs=$(mktemp -d /tmp/vis-e2e-run.XXXXXX)
planted+=("$theirs")
chown "$other" "$theirs"
chmod 700 "$theirs"
plant "$theirs/$name" listening
# One process that holds the lock as long as it sleeps.
"${as_other[@]}" sh -c 'exec 9>"$0" && flock 9 && exec sleep 300' "$theirs/$name.lock" &
helpers+=($!)
start XDG_RUNTIME_DIR="$theirs"
ask XDG_RUNTIME_DIR="$theirs"
own=$(find "$VIS_TMP/home/.cache/vistrelle" -mindepth 2 -maxdepth 2 -name "$name")
[[ -S $own && $(stat -c %a "$own") == 600 && $(stat -c '%a %U' "$(dirname "$own")") == "700 root" ]] ||
    fail "no private channel in the home: $(ls -la "$VIS_TMP/home/.cache/vistrelle"/* 2>&1)"

# Killed: its socket stays behind, and the next start replaces it.
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
APP_PID=
[[ -S $own ]] || fail "the killed copy left no socket to replace"
start XDG_RUNTIME_DIR="$theirs"
ask XDG_RUNTIME_DIR="$theirs"
echo "ok: plants of another user ignored, the stale socket replaced"
