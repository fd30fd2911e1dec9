# SPDX-License-Identifier: GPL-3.0-or-later
# Idle cost of the hot-key poll and the delay from a SHIFT+F11 tap to the
# frozen screen, on the real executable under Xvfb, openbox and trayer. Not a
# test: prints figures.
#   [VIS_IDLE_SECONDS=60] [VIS_TAPS=10] [VIS_SETTINGS=...] \
#       bash tests/e2e/run_with_display.sh bench/hotkeys.sh build/bin/vistrelle
# VIS_SETTINGS: the settings record after its folder (see tests/e2e/app.sh);
# position 117 is the capture delay in tenths of a second, spent twice
# between the tap and the frozen screen.
set -euo pipefail
here=$(cd "$(dirname "$0")/../tests/e2e" && pwd)
source "$here/lib.sh"
source "$here/app.sh"

idle=${VIS_IDLE_SECONDS:-60}
taps=${VIS_TAPS:-10}
hz=$(getconf CLK_TCK)

start_app "${VIS_SETTINGS:-$DEFAULT_SETTINGS}"
win=$MAIN_WIN
pid=$APP_PID
sleep 2

# cpu_ticks: user + system time of the whole process, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# switches: voluntary context switches summed over the process's threads
# (each is a wake-up after a wait).
switches() { cat /proc/"$pid"/task/*/status | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }

c0=$(cpu_ticks) s0=$(switches) t0=$EPOCHREALTIME
sleep "$idle"
c1=$(cpu_ticks) s1=$(switches) t1=$EPOCHREALTIME
threads=$(ls "/proc/$pid/task" | wc -l)
awk -v c="$((c1 - c0))" -v hz="$hz" -v s="$((s1 - s0))" -v t0="$t0" -v t1="$t1" -v n="$threads" 'BEGIN {
    d = t1 - t0
    printf "idle %.1f s: cpu %.2f s (%.2f %%), %d voluntary switches in %d threads (%.1f per s)\n",
        d, c / hz, 100 * c / hz / d, s, n, s / d }'

# Tap latency: from just before xdotool to the title change seen by xprop -spy.
xlogo >/dev/null 2>&1 &
other_pid=$!
other=$(wait_for_window '^xlogo$' 10) || fail "xlogo did not show"
# Each title change stamped as it arrives.
spy=$VIS_TMP/spy.log
mkfifo "$VIS_TMP/spy.fifo"
xprop -spy -id "$win" _NET_WM_NAME >"$VIS_TMP/spy.fifo" &
spy_pid=$!
trap 'stop_app; kill $other_pid $spy_pid 2>/dev/null' EXIT
while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done <"$VIS_TMP/spy.fifo" >"$spy" &
sleep 0.5
delays=()
for _ in $(seq 1 "$taps"); do
    focus_window "$other" || fail "xlogo does not take the focus"
    sleep 0.3
    before=$(wc -l <"$spy")
    start=$EPOCHREALTIME
    xdotool key shift+F11
    wait_for_title "$win" '^Vistrelle - Sélectionnez' 10 || fail "no frozen screen"
    seen=$(tail -n +"$((before + 1))" "$spy" | awk '/Sélectionnez/ {print $1; exit}')
    delays+=("$(awk -v a="$start" -v b="$seen" 'BEGIN {printf "%.0f", (b - a) * 1000}')")
    # Back to the bar: the flash gone, the frozen screen takes Escape.
    deadline=$((SECONDS + 5))
    until [[ -z $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null) && $(xdotool getactivewindow) == "$win" ]]; do
        ((SECONDS <= deadline)) || fail "the frozen screen did not get the focus"
        sleep 0.05
    done
    xdotool key Escape
    wait_for_title "$win" '^Image capturée' 10 || fail "Escape did not leave the frozen screen"
done
sorted=$(printf '%s\n' "${delays[@]}" | sort -n | tr '\n' ' ')
median=$(printf '%s\n' "${delays[@]}" | sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}')
echo "tap to frozen screen, ms: $sorted; median $median"
