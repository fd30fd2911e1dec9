#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Desktop benchmark of the capture path, side by side with scrot in the same
# run. Not a test and not in CI: it takes several minutes and its figures
# depend on the machine.
#
#   bench/desktop_bench.sh [--runs N] [--checks N] [--rest S] [--no-big] [--keep] build/bin/vistrelle
#
#   --runs N     timed captures per delay, medians taken (9)
#   --checks N   grabs at delay 0 under load checked for the program's own windows (100)
#   --rest S     seconds of each at-rest measurement (30)
#   --no-big     skip the 7680x4320 screen;  --keep  keep the work folder
#
# It starts its own Xvfb (1920x1080x24), openbox and trayer with a photo-like
# picture on the root window, runs private copies of the program with the
# capture delay at 0 and at 0.1 s, and prints the table of goals 1 to 7.
# Screen events are timestamped by bench/desktop/xwatch.cpp (vis_xwatch,
# built here when missing): it clicks through XTEST and records map,
# configure, title and damage events; saved files are awaited with inotify.
set -u

runs=9 checks=100 rest=30 big=1 keep=0 exe=
while (($#)); do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --checks) checks=$2; shift 2 ;;
        --rest) rest=$2; shift 2 ;;
        --no-big) big=0; shift ;;
        --keep) keep=1; shift ;;
        -h | --help) sed -n '2,18p' "$0"; exit 0 ;;
        *) exe=$1; shift ;;
    esac
done
[[ -x $exe ]] || { echo "usage: $0 [--runs N] [--checks N] [--rest S] [--no-big] [--keep] path/to/vistrelle" >&2; exit 2; }
((checks >= 1 && runs >= 1 && runs <= 29)) || { echo "--runs: 1 to 29 (the collection's size); --checks: 1 or more" >&2; exit 2; }
exe=$(readlink -f "$exe")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# ---------------------------------------------------------------- tools
need_pkgs=()
for pair in Xvfb:xvfb openbox:openbox trayer:trayer xdotool:xdotool xdpyinfo:x11-utils scrot:scrot \
    inotifywait:inotify-tools hsetroot:hsetroot stress:stress convert:imagemagick compare:imagemagick; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || need_pkgs+=("${pair#*:}")
done
[[ -e /usr/include/X11/extensions/Xdamage.h ]] || need_pkgs+=(libxdamage-dev)
if ((${#need_pkgs[@]})); then
    if [[ $(id -u) == 0 ]]; then
        echo "installing: ${need_pkgs[*]}" >&2
        apt-get install -y --no-install-recommends "${need_pkgs[@]}" >/dev/null || { echo "apt-get install failed" >&2; exit 1; }
    else
        echo "missing packages: ${need_pkgs[*]} (apt-get install them as root)" >&2
        exit 1
    fi
fi

# The recorder lives in the build folder of the executable (build/bin/..).
build_dir=$(dirname "$(dirname "$exe")")
xwatch=$build_dir/bench/vis_xwatch
if [[ ! -x $xwatch ]]; then
    echo "building vis_xwatch in $build_dir" >&2
    cmake "$build_dir" >/dev/null && cmake --build "$build_dir" --target vis_xwatch >/dev/null ||
        { echo "could not build vis_xwatch" >&2; exit 1; }
fi

# ---------------------------------------------------------------- clean-up
TMP=$(mktemp -d "${TMPDIR:-/tmp}/vis-bench.XXXXXX")
pids=()
stop_pid() {
    kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
    local i
    for i in "${!pids[@]}"; do [[ ${pids[i]} == "$1" ]] && unset 'pids[i]'; done
    return 0
}
STRESS_PID=
stop_stress() {
    [[ -n $STRESS_PID ]] || return 0
    kill -- "-$STRESS_PID" 2>/dev/null
    wait "$STRESS_PID" 2>/dev/null
    STRESS_PID=
}
cleanup() {
    local i p
    stop_stress
    local list=("${pids[@]}")
    for ((i = ${#list[@]} - 1; i >= 0; i--)); do
        p=${list[i]}
        kill "$p" 2>/dev/null
        wait "$p" 2>/dev/null
    done
    ((keep)) && echo "work folder kept: $TMP" >&2 || rm -rf "$TMP"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

log() { printf '[%(%T)T] %s\n' -1 "$*" >&2; }
die() {
    log "FAIL: $*"
    [[ -s ${APP_LOG:-/nonexistent} ]] && sed 's/^/  app: /' "$APP_LOG" >&2
    # The screen as it was, for the work folder that --keep leaves.
    [[ -n ${DISPLAY:-} ]] && scrot -o "$TMP/failure.png" 2>/dev/null && log "screen at the failure: $TMP/failure.png"
    exit 1
}

# until_true TIMEOUT_S CMD...: retries every 0.1 s.
until_true() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.1
    done
}

# median: of the numbers on standard input.
median() { sort -g | awk '{a[NR] = $1} END {if (!NR) print "nan"; else if (NR % 2) print a[(NR + 1) / 2]; else print (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
# field KEY LINE...: the value of KEY= in each line.
field() { local k=$1; shift; printf '%s\n' "$@" | grep -o "\b$k=[^ ]*" | cut -d= -f2; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b + 0 == 0 || a == "nan" || b == "nan") print "-"; else printf "%.2f", a / b}'; }

# ---------------------------------------------------------------- display
# start_display WIDTH HEIGHT: Xvfb + openbox + trayer + the root picture.
start_display() {
    local w=$1 h=$2 n
    DISPLAY_NUM=
    for n in $(seq 150 249); do
        [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]] && { DISPLAY_NUM=$n; break; }
    done
    [[ -n $DISPLAY_NUM ]] || die "no free display number"
    Xvfb ":$DISPLAY_NUM" -screen 0 "${w}x${h}x24" -nolisten tcp -noreset >"$TMP/xvfb-$w.log" 2>&1 &
    XVFB_PID=$!
    pids+=("$XVFB_PID")
    export DISPLAY=":$DISPLAY_NUM"
    until_true 20 xdpyinfo >/dev/null 2>&1 || die "Xvfb did not start: $(cat "$TMP/xvfb-$w.log")"
    xdpyinfo -queryExtensions | grep -q XTEST || die "Xvfb has no XTEST"
    xdpyinfo -queryExtensions | grep -q DAMAGE || die "Xvfb has no DAMAGE"
    export XDG_RUNTIME_DIR=$TMP/runtime
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    openbox --sm-disable >"$TMP/openbox.log" 2>&1 &
    WM_PID=$!
    pids+=("$WM_PID")
    until_true 30 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" || die "openbox did not start"
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 --SetDockType true \
        --transparent false >"$TMP/trayer.log" 2>&1 &
    pids+=($!)
    hsetroot -cover "$PICTURE" >/dev/null 2>&1 || die "hsetroot could not set the root picture"
    "$xwatch" still --still 300 --timeout 20 >/dev/null || log "the new display did not settle"
}

stop_display() {
    local p
    for ((p = ${#pids[@]} - 1; p >= 0; p--)); do stop_pid "${pids[p]}"; done
    pids=()
}

# ---------------------------------------------------------------- program
APP_PID= MAIN= NCAPT=0
# start_app DELAY_TENTHS: a private copy of the program's folder with its own
# param.txt (save folder $TMP/out, delay digit at position 117).
start_app() {
    APP_DIR=$TMP/app OUT_DIR=$TMP/out-$1-$SCREEN_W APP_LOG=$TMP/app.log
    rm -rf "$APP_DIR" "$OUT_DIR"
    mkdir -p "$APP_DIR" "$OUT_DIR"
    cp -r "$(dirname "$exe")"/. "$APP_DIR"/
    printf '%-100s%s\r\n' "$OUT_DIR" "0200001007Capt11$1   " >"$APP_DIR/param.txt"
    "$APP_DIR/$(basename "$exe")" >"$APP_LOG" 2>&1 &
    APP_PID=$!
    pids+=("$APP_PID")
    NCAPT=0
    local deadline=$((SECONDS + 30))
    MAIN=
    while [[ -z $MAIN ]] && ((SECONDS <= deadline)); do
        MAIN=$(xdotool search --onlyvisible --name '^Vistrelle \.\.\.$' 2>/dev/null | head -n 1)
        [[ -z $MAIN ]] && sleep 0.1
    done
    [[ -n $MAIN ]] || die "the main window did not appear"
    # The splash and the start hint end, the settings load: the screen stops changing.
    sleep 2.5
    "$xwatch" still --still 1000 --timeout 30 >/dev/null || log "the program did not settle after start"
}

stop_app() { [[ -n $APP_PID ]] && stop_pid "$APP_PID"; APP_PID=; }

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$APP_PID/status"; }
hwm_kib() { awk '/^VmHWM:/ {print $2}' "/proc/$APP_PID/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# click_button K: raises the main window and clicks toolbar button K with xdotool.
click_button() {
    local X Y WIDTH HEIGHT
    xdotool windowraise "$MAIN"
    "$xwatch" still --still 100 --timeout 10 >/dev/null
    eval "$(xdotool getwindowgeometry --shell "$MAIN" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    xdotool mousemove $((X + 13 + 27 * $1)) $((Y + 13)) click 1
}

own_windows_at_most() { (($("$xwatch" frames "$APP_PID" | wc -l) <= $1)); }

# capture [TIMEOUT_S]: whole-screen capture (toolbar button 1) clicked and
# recorded by vis_xwatch; sets LINE to its key=value line. Not to be called
# in a subshell: it counts the captures.
capture() {
    local X Y WIDTH HEIGHT timeout=${1:-20} title
    # The camera flash of the previous capture has gone: only the main and
    # the collection window are left.
    until_true 10 own_windows_at_most 2 || log "a window of the program is still shown before capture $((NCAPT + 1))"
    xdotool windowraise "$MAIN"
    "$xwatch" still --still 100 --timeout 10 >/dev/null
    eval "$(xdotool getwindowgeometry --shell "$MAIN" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    [[ -n ${FRAMES_OUT:-} ]] && "$xwatch" frames "$APP_PID" >"$FRAMES_OUT"
    NCAPT=$((NCAPT + 1))
    ((NCAPT == 1)) && title=" 1 capture en cours" || title=" $NCAPT captures en cours"
    local c0 c1
    c0=$(cpu3)
    LINE=$("$xwatch" capture --main "$MAIN" --click $((X + 13 + 27)) $((Y + 13)) \
        --title "$title" --still 50 --timeout "$timeout")
    [[ $(field timeout "$LINE") == 0 ]] || die "capture $NCAPT was not shown within ${timeout}s: $LINE"
    # CPU until the program is back at rest: the flash gone, the screen still.
    until_true 10 own_windows_at_most 2
    "$xwatch" still --still 100 --timeout 10 >/dev/null
    c1=$(cpu3)
    LINE+=$(awk -v a="$c0" -v b="$c1" -v hz="$(getconf CLK_TCK)" 'BEGIN {
        split(a, x, " "); split(b, y, " ")
        printf " cpu_prog=%g cpu_x=%g cpu_wm=%g cpu_all=%g", (y[1] - x[1]) * 1000 / hz, (y[2] - x[2]) * 1000 / hz,
            (y[3] - x[3]) * 1000 / hz, (y[1] + y[2] + y[3] - x[1] - x[2] - x[3]) * 1000 / hz}')
}
# quiet_cpu N: CPU per capture of the program, the X server and the window
# manager with no recorder running: N whole-screen captures clicked by one
# xdotool process 1.5 s apart (the flash gone, the screen at rest), nothing
# else asking the server anything. Prints "total prog x wm" in ms per capture.
quiet_cpu() {
    local n=$1 X Y WIDTH HEIGHT c0 c1 i title args=()
    xdotool windowraise "$MAIN"
    "$xwatch" still --still 300 --timeout 10 >/dev/null
    eval "$(xdotool getwindowgeometry --shell "$MAIN" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    args=(mousemove $((X + 13 + 27)) $((Y + 13)))
    for ((i = 0; i < n; i++)); do args+=(click 1 sleep 1.5); done
    c0=$(cpu3)
    xdotool "${args[@]}"
    c1=$(cpu3)
    NCAPT=$((NCAPT + n))
    title=$(xdotool getwindowname "$MAIN")
    [[ $title == *" $NCAPT captures en cours"* ]] || die "quiet captures: the title says '$title', not $NCAPT captures"
    awk -v a="$c0" -v b="$c1" -v hz="$(getconf CLK_TCK)" -v n="$n" 'BEGIN {
        split(a, x, " "); split(b, y, " ")
        p = (y[1] - x[1]) * 1000 / hz / n; s = (y[2] - x[2]) * 1000 / hz / n; w = (y[3] - x[3]) * 1000 / hz / n
        printf "%.0f %.0f %.0f %.0f\n", p + s + w, p, s, w}'
}
# quiet_scrot N: N scrot runs back to back; prints "own x": scrot's own CPU
# and the X server's for it, in ms per run (ticks too coarse for one run).
quiet_scrot() {
    local n=$1 x0 x1 i own=0 line
    x0=$(cpu_ticks "$XVFB_PID")
    for ((i = 0; i < n; i++)); do
        line=$("$xwatch" run -- scrot -o -q 70 "$TMP/scrot.jpg")
        own=$(awk -v a="$own" -v b="$(field cpu_ms "$line")" 'BEGIN {print a + b}')
    done
    x1=$(cpu_ticks "$XVFB_PID")
    awk -v o="$own" -v a="$x0" -v b="$x1" -v n="$n" -v hz="$(getconf CLK_TCK)" \
        'BEGIN {printf "%.1f %.1f\n", o / n, (b - a) * 1000 / hz / n}'
}
# cpu3: CPU ticks of the program, the X server and the window manager.
cpu3() { echo "$(cpu_ticks "$APP_PID") $(cpu_ticks "$XVFB_PID") $(cpu_ticks "$WM_PID")"; }

# scrot_once: scrot grabs, encodes (quality 70, as the program's default)
# and writes a JPEG; its whole run as a child process.
scrot_once() {
    "$xwatch" run --pids "$XVFB_PID" -- scrot -o -q 70 "$TMP/scrot.jpg"
}

# delete_all: toolbar button 8, then "Oui"/OK (the default button) on the question.
delete_all() {
    local before dialog
    before=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | sort)
    click_button 8
    local deadline=$((SECONDS + 15))
    dialog=
    while [[ -z $dialog ]] && ((SECONDS <= deadline)); do
        dialog=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | sort) | head -n 1)
        [[ -z $dialog ]] && sleep 0.1
    done
    [[ -n $dialog ]] || die "delete all asked nothing"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || xdotool windowfocus --sync "$dialog" 2>/dev/null
    xdotool key Return
    until_true 15 bash -c "xdotool getwindowname $MAIN | grep -q '^Pour capturer'" || die "delete all did not empty the collection"
    NCAPT=0
    "$xwatch" still --still 300 --timeout 20 >/dev/null
}

# rest S: wake-ups and CPU of the program over S seconds of rest; prints
# "main_thread_wakeups/s all_threads_wakeups/s cpu_percent".
# Threads come and go (Qt's pool lets its threads go after 30 s idle): each
# figure is the sum of per-thread changes over the threads alive at the end,
# those born meanwhile counted from zero.
rest_figures() {
    local s=$1 t0 t1
    threads >"$TMP/threads0"
    per_thread >"$TMP/per0"
    t0=$(date +%s.%N)
    sleep "$s"
    threads >"$TMP/threads1"
    per_thread >"$TMP/per1"
    t1=$(date +%s.%N)
    log "  wake-ups by thread over ${s}s: $(join "$TMP/threads0" "$TMP/threads1" | awk '{printf "%s %d\n", $1, $3 - $2}' |
        sort -k2 -nr | head -n 5 | tr '\n' ' ')"
    join -a 2 -e 0 -o 0,1.2,1.3,2.2,2.3 "$TMP/per0" "$TMP/per1" |
        awk -v main="$APP_PID" -v t0="$t0" -v t1="$t1" '
            {w = $4 - $2; c += $5 - $3; a += w; if ($1 == main) m = w}
            END {d = t1 - t0; printf "%.1f %.1f %.3f\n", m / d, a / d, 100 * c / 1e9 / d}'
}
# per_thread: "TID SWITCHES CPU_NS" for each thread, sorted for join; CPU
# time in nanoseconds (clock ticks are too coarse for a tenth of a percent).
per_thread() {
    local t w c
    for t in /proc/"$APP_PID"/task/*; do
        w=$(awk '/^voluntary_ctxt_switches:/ {print $2}' "$t/status" 2>/dev/null)
        c=$(awk '{print $1}' "$t/schedstat" 2>/dev/null)
        printf '%s %s %s\n' "${t##*/}" "${w:-0}" "${c:-0}"
    done | sort
}
# threads: "TID:NAME SWITCHES" for each thread, sorted for join.
threads() {
    local t
    for t in /proc/"$APP_PID"/task/*; do
        printf '%s:%s %s\n' "${t##*/}" "$(tr ' ' _ <"$t/comm" 2>/dev/null)" \
            "$(awk '/^voluntary_ctxt_switches:/ {print $2}' "$t/status" 2>/dev/null)"
    done | sort
}

# ---------------------------------------------------------------- picture
SCREEN_W=1920 SCREEN_H=1080
PICTURE=$TMP/root.png
log "drawing the root picture"
# Clouds with a gradient and fine noise: smooth areas, edges and detail, as in a photo.
convert -size ${SCREEN_W}x${SCREEN_H} -seed 12 plasma:tomato-steelblue \
    \( -size ${SCREEN_W}x${SCREEN_H} gradient:'rgba(255,230,120,0.45)'-'rgba(10,40,90,0.45)' \) -composite \
    -seed 3 -attenuate 0.25 +noise Gaussian -blur 0x0.6 "$PICTURE" || die "convert could not draw the root picture"

# ================================================================ session A: delay 0
log "session A: ${SCREEN_W}x${SCREEN_H}, delay 0"
start_display $SCREEN_W $SCREEN_H
scrot -o "$TMP/reference.png" || die "scrot failed"
start_app 0
idle_cpu_start=$(rest_figures "$rest")
log "at rest after start: $idle_cpu_start"

A_lines=() A_scrot=()
for ((r = 1; r <= runs; r++)); do
    capture
    A_lines+=("$LINE")
    A_scrot+=("$(scrot_once)")
    log "delay 0, run $r: $(field shown_ms "${A_lines[-1]}") ms shown, scrot $(field wall_ms "${A_scrot[-1]}") ms"
done
quiet_runs=12
read -r A_qt A_qp A_qx A_qw < <(quiet_cpu $quiet_runs)
log "delay 0, $quiet_runs captures with no recorder: $A_qt ms of CPU each ($A_qp + $A_qx + $A_qw)"
read -r A_so A_sx < <(quiet_scrot 20)
log "scrot, 20 runs back to back: $A_so ms of its own CPU each, $A_sx ms of the X server's"
delete_all

FRAMES_OUT=
# Goal 1: grabs checked against the reference picture where the program's
# windows were just before each click, with the machine loaded; in batches
# of at most 29 (the collection's size), each saved with save-all.
threshold=0.06 own=0 worst_clean=0 worst_all=0
check_batch() {
    local n=$1 first=$2 c i file hit x y w h d saved
    for ((i = 1; i <= n; i++)); do
        FRAMES_OUT=$TMP/frames-$((first + i - 1)).txt
        capture 60
    done
    FRAMES_OUT=
    rm -f "$OUT_DIR"/*.jpg
    inotifywait -m -q -e close_write,moved_to --format '%f' "$OUT_DIR" >"$TMP/saved.txt" 2>/dev/null &
    INOTIFY_PID=$!
    pids+=("$INOTIFY_PID")
    sleep 0.5
    click_button 5
    until_true 180 bash -c "[[ \$(grep -c '\.jpg$' '$TMP/saved.txt') -ge $n ]]" ||
        die "save-all wrote $(grep -c '\.jpg$' "$TMP/saved.txt") of $n JPEG files"
    stop_pid "$INOTIFY_PID"
    # Written in the collection's order.
    mapfile -t saved < <(grep '\.jpg$' "$TMP/saved.txt" | awk '!seen[$0]++')
    for ((i = 1; i <= n; i++)); do
        c=$((first + i - 1))
        file=$OUT_DIR/${saved[i - 1]}
        hit=0
        while read -r x y w h; do
            # Clipped to the screen.
            ((x < 0)) && { w=$((w + x)); x=0; }
            ((y < 0)) && { h=$((h + y)); y=0; }
            ((x + w > SCREEN_W)) && w=$((SCREEN_W - x))
            ((y + h > SCREEN_H)) && h=$((SCREEN_H - y))
            ((w > 0 && h > 0)) || continue
            # A rectangle that holds one of the program's windows differs from
            # the root picture far more than the JPEG coding does.
            d=$(compare -metric RMSE -extract "${w}x${h}+${x}+${y}" "$file" "$TMP/reference.png" null: 2>&1 |
                sed -n 's/.*(\(.*\)).*/\1/p')
            [[ -n $d ]] || die "compare failed on $file"
            worst_all=$(awk -v a="$worst_all" -v b="$d" 'BEGIN {print (b > a ? b : a)}')
            if awk -v d="$d" -v t="$threshold" 'BEGIN {exit !(d > t)}'; then hit=1; else
                worst_clean=$(awk -v a="$worst_clean" -v b="$d" 'BEGIN {print (b > a ? b : a)}'); fi
        done <"$TMP/frames-$c.txt"
        ((hit)) && { own=$((own + 1)); cp "$file" "$TMP/own-window-$c.jpg"; }
    done
    delete_all
}
log "session A: $checks grabs at delay 0 under load"
# Its own process group, so that its workers stop with it.
setsid stress --cpu "$(nproc)" --timeout $((checks * 30 + 300)) >/dev/null 2>&1 &
STRESS_PID=$!
sleep 1
for ((done_checks = 0; done_checks < checks; done_checks += 29)); do
    check_batch $((checks - done_checks < 29 ? checks - done_checks : 29)) $((done_checks + 1))
done
stop_stress
log "own windows in $own of $checks grabs (largest RMSE of a clean rectangle $worst_clean, of any $worst_all)"
stop_app

# ================================================================ session B: delay 0.1
log "session B: ${SCREEN_W}x${SCREEN_H}, delay 0.1 s (the default)"
start_app 1
idle_rss=$(rss_kib)
B_lines=() B_scrot=()
for ((r = 1; r <= 29; r++)); do
    capture
    B_lines+=("$LINE")
    ((r <= runs)) && B_scrot+=("$(scrot_once)")
    ((r <= runs)) && log "delay 0.1, run $r: $(field shown_ms "${B_lines[-1]}") ms shown, scrot $(field wall_ms "${B_scrot[-1]}") ms"
done
"$xwatch" still --still 1000 --timeout 30 >/dev/null
sleep 2
rss_29=$(rss_kib)
idle_cpu_shown=$(rest_figures "$rest")
log "at rest with 29 captures: $idle_cpu_shown"
delete_all
sleep 3
rss_deleted=$(rss_kib)
read -r B_qt B_qp B_qx B_qw < <(quiet_cpu $quiet_runs)
log "delay 0.1, $quiet_runs captures with no recorder: $B_qt ms of CPU each ($B_qp + $B_qx + $B_qw)"
read -r B_so B_sx < <(quiet_scrot 20)
log "scrot, 20 runs back to back: $B_so ms of its own CPU each, $B_sx ms of the X server's"
stop_app
stop_display

# ================================================================ session C: 7680x4320
# The peak of a first capture depends on how many full-screen copies are
# alive at once, which varies from run to run: three fresh starts.
big_runs=3 big_lines=() big_scrots=() big_peaks=()
if ((big)); then
    log "session C: 7680x4320, the first capture of $big_runs fresh starts"
    SCREEN_W=7680 SCREEN_H=4320
    start_display $SCREEN_W $SCREEN_H
    for ((r = 1; r <= big_runs; r++)); do
        start_app 1
        big_idle=$(rss_kib)
        # Peak RSS counted from here (Linux 4.0 and later).
        echo 5 >"/proc/$APP_PID/clear_refs" || log "cannot reset the peak RSS; VmHWM counts from start"
        capture 120
        big_lines+=("$LINE")
        big_peaks+=($(($(hwm_kib) - big_idle)))
        big_scrots+=("$(scrot_once)")
        log "7680x4320, run $r: peak $((big_peaks[-1] / 1024)) MiB above idle, shown $(field shown_ms "$LINE") ms"
        stop_app
    done
    stop_display
fi

# ================================================================ table
med() { field "$1" "${@:2}" | median; }
row() { printf '%-3s %-52s %20s %14s %8s  %s\n' "$@"; }

A_shown=$(med shown_ms "${A_lines[@]}") B_shown=$(med shown_ms "${B_lines[@]:0:runs}")
A_settled=$(med settled_ms "${A_lines[@]}") B_settled=$(med settled_ms "${B_lines[@]:0:runs}")
A_sw=$(med wall_ms "${A_scrot[@]}") B_sw=$(med wall_ms "${B_scrot[@]}")

cpu_cols() { # per-capture CPU: total, program, X, WM (medians)
    echo "$(med cpu_all "$@") $(med cpu_prog "$@") $(med cpu_x "$@") $(med cpu_wm "$@")"
}
read -r A_ct A_cp A_cx A_cw < <(cpu_cols "${A_lines[@]}")
read -r B_ct B_cp B_cx B_cw < <(cpu_cols "${B_lines[@]:0:runs}")

mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
raw24=$((29 * 1920 * 1080 * 3 / 1024))
above29=$((rss_29 - idle_rss)) above_del=$((rss_deleted - idle_rss))

echo
echo "Vistrelle desktop benchmark, $(date '+%F %T'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Xvfb 1920x1080x24 + openbox + trayer; medians of $runs runs unless said (7680x4320: of $big_runs starts);"
echo "scrot -q 70 in the same sessions; CPU from /proc/PID/stat ticks of $((1000 / $(getconf CLK_TCK))) ms"
echo
row "" "figure" "Vistrelle" "scrot" "ratio" "goal"
row 1 "grabs holding its own windows, delay 0, loaded" "$own/$checks" "-" "-" "0 of 100"
sum2() { awk -v a="$1" -v b="$2" 'BEGIN {print a + b}'; }
row 2 "CPU ms per capture, delay 0.1 (prog+X+WM)" "$B_qt ($B_qp+$B_qx+$B_qw)" "$B_so" "$(ratio "$B_qt" "$B_so")" "<= 1.5"
row 2 "CPU ms per capture, delay 0 (prog+X+WM)" "$A_qt ($A_qp+$A_qx+$A_qw)" "$A_so" "$(ratio "$A_qt" "$A_so")" "<= 1.5"
row "" "  scrot with the X server's work for it, delay 0.1" "" "$(sum2 "$B_so" "$B_sx")" \
    "$(ratio "$B_qt" "$(sum2 "$B_so" "$B_sx")")" ""
row "" "  the same, delay 0" "" "$(sum2 "$A_so" "$A_sx")" "$(ratio "$A_qt" "$(sum2 "$A_so" "$A_sx")")" ""
row "" "  delay 0.1, recorded (the recorder's X work in)" "$B_ct ($B_cp+$B_cx+$B_cw)" "" "" ""
row 3 "click -> capture shown ms, delay 0" "$A_shown" "$A_sw" "$(ratio "$A_shown" "$A_sw")" "<= 1.0"
row 3 "click -> capture shown ms, delay 0.1" "$B_shown" "$B_sw" "$(ratio "$B_shown" "$B_sw")" ""
row "" "  the same less the two delays (200 ms)" "$(awk -v a="$B_shown" 'BEGIN {print a - 200}')" "$B_sw" \
    "$(ratio "$(awk -v a="$B_shown" 'BEGIN {print a - 200}')" "$B_sw")" "<= 1.0"
row 4 "main window: configure events per capture" "$(med configures "${B_lines[@]:0:runs}")" "-" "-" "1"
row 4 "main window: size changes per capture" "$(med size_changes "${B_lines[@]:0:runs}")" "-" "-" "1"
row 4 "main window: repaints per capture (area / window)" "$(med main_repaints "${B_lines[@]:0:runs}")" "-" "-" "<= 2"
row 4 "screens of pixels drawn per capture (whole screen)" "$(med screen_repaints "${B_lines[@]:0:runs}")" "-" "-" ""
row 4 "click -> screen still 50 ms, delay 0.1" "$B_settled" "$B_sw" "$(ratio "$B_settled" "$B_sw")" ""
row 4 "click -> screen still 50 ms, delay 0" "$A_settled" "$A_sw" "$(ratio "$A_settled" "$A_sw")" ""
row 4 "  shown -> still, delay 0.1" "$(awk -v a="$B_settled" -v b="$B_shown" 'BEGIN {print a - b}')" "-" "-" "<= 50"
row 5 "RSS MiB above idle after 29 captures (raw 24-bit)" "$(mib $above29)" "$(mib $raw24)" "$(ratio $above29 $raw24)" "<= 1.1"
row 5 "RSS MiB above idle after delete all" "$(mib $above_del)" "-" "-" "<= 20 MiB"
if ((big)); then
    raw32=$((7680 * 4320 * 4 / 1024))
    peak=$(printf '%s\n' "${big_peaks[@]}" | median)
    peak_max=$(printf '%s\n' "${big_peaks[@]}" | sort -n | tail -n 1)
    big_shown=$(med shown_ms "${big_lines[@]}") big_wall=$(med wall_ms "${big_scrots[@]}")
    row 5 "7680x4320: peak MiB above idle, 1st capture (raw 32-bit)" "$(mib "$peak")" "$(mib $raw32)" "$(ratio "$peak" $raw32)" "<= 2"
    row "" "  the largest of the $big_runs starts" "$(mib "$peak_max")" "$(mib $raw32)" "$(ratio "$peak_max" $raw32)" "<= 2"
    row "" "  scrot's whole peak RSS MiB at 7680x4320" "" "$(med maxrss_kib "${big_scrots[@]}" | xargs -I{} awk 'BEGIN {printf "%.1f", {} / 1024}')" "" ""
    row "" "  7680x4320: click -> shown ms" "$big_shown" "$big_wall" "$(ratio "$big_shown" "$big_wall")" ""
fi
row 6 "region filing: Google Benchmark, see below" "-" "-" "-" "<= 3 ms / 12 ms"
read -r sm sa sc <<<"$idle_cpu_start"
read -r cm ca cc <<<"$idle_cpu_shown"
row 7 "wake-ups/s at rest after start (GUI thread / all)" "$sm / $sa" "-" "-" "<= 10"
row 7 "wake-ups/s at rest, 29 captures (GUI thread / all)" "$cm / $ca" "-" "-" "<= 10"
row 7 "idle CPU % of a core after start / with 29 captures" "$sc / $cc" "-" "-" "<= 0.1"
echo
echo "Idle RSS $(mib "$idle_rss") MiB; after 29 captures $(mib "$rss_29"); after delete all $(mib "$rss_deleted")."
echo "Goal 1: $checks grabs, 'stress --cpu $(nproc)' running; a grab holds a window when a rectangle where the program"
echo "  had a window differs from the root picture by RMSE > $threshold (largest clean rectangle: $worst_clean)."
echo "Goal 2: $quiet_runs captures clicked by one xdotool process 1.5 s apart, CPU over the whole stretch; scrot:"
echo "  20 runs back to back, its own CPU from its process and the X server's over the 20."
echo "Goal 6: build/bench/vis_bench --benchmark_filter='BM_FileRegion|BM_FileWholeScreen' (bench/bench_capture.cpp)."
echo "Rest: $rest s each; wake-ups are voluntary context switches (/proc/PID/status, task/*/status)."
