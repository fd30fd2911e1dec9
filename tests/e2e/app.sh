# Starting a private copy of the program for one end-to-end script (sourced
# after lib.sh). Needs VIS_EXE and VIS_TMP, as set by run_with_display.sh.

APP_DIR=$VIS_TMP/app
OUT_DIR=$VIS_TMP/out
APP_PID=

# The settings record after its folder (positions 101-120): no periodic
# interval (105-106), JPEG quality 70, prefix "Capt", hot key F11 (115-116),
# a capture delay of 0.1 s (117).
DEFAULT_SETTINGS="0200001007Capt111   "

# start_app [SETTINGS]: copies the program's folder with a param.txt whose
# save folder is $OUT_DIR and whose record ends with SETTINGS (by default
# $DEFAULT_SETTINGS), starts it and sets MAIN_WIN to the main window's id once
# it is up. Not to be called in a subshell: the program lives as long as the
# script.
start_app() {
    local settings=${1:-$DEFAULT_SETTINGS}
    ((${#settings} == 20)) || { echo "start_app: '$settings' is not 20 characters" >&2; return 1; }
    mkdir -p "$APP_DIR" "$OUT_DIR"
    cp -r "$(dirname "$VIS_EXE")"/. "$APP_DIR"/
    printf '%-100s%s\r\n' "$OUT_DIR" "$settings" >"$APP_DIR/param.txt"
    "$APP_DIR/vistrelle" >"$VIS_TMP/app.log" 2>&1 &
    APP_PID=$!
    trap stop_app EXIT
    MAIN_WIN=$(wait_for_window '^Vistrelle \.\.\.$' 20) || { cat "$VIS_TMP/app.log" >&2; return 1; }
    # Let the start hint finish and the settings load.
    sleep 1
}

stop_app() {
    if [[ -n $APP_PID ]]; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    APP_PID=
    return 0
}

# wait_for_title ID REGEX TIMEOUT: waits until the window's title matches.
wait_for_title() {
    local id=$1 regex=$2 timeout=${3:-10}
    local deadline=$((SECONDS + timeout))
    while ((SECONDS <= deadline)); do
        [[ $(xdotool getwindowname "$id" 2>/dev/null) =~ $regex ]] && return 0
        sleep 0.1
    done
    echo "title of $id is '$(xdotool getwindowname "$id" 2>/dev/null)', not /$regex/" >&2
    return 1
}

# is_maximised ID: the window manager has the window maximised both ways.
is_maximised() {
    local state
    state=$(xprop -id "$1" _NET_WM_STATE 2>/dev/null)
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]]
}

# wait_until_maximised ID TIMEOUT: the window manager has finished maximising.
wait_until_maximised() {
    local deadline=$((SECONDS + ${2:-10}))
    until is_maximised "$1"; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.1
    done
    sleep 0.5
}

# drag X0 Y0 X1 Y1: a left-button drag in screen coordinates, in small steps.
drag() {
    local x0=$1 y0=$2 x1=$3 y1=$4 s
    xdotool mousemove "$x0" "$y0"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.2
    for s in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((x0 + (x1 - x0) * s / 8)) $((y0 + (y1 - y0) * s / 8))
        sleep 0.05
    done
    sleep 0.2
    xdotool mouseup 1
}

# press ID KEYS...: activates the window and types the keys.
press() {
    local id=$1
    shift
    xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
    sleep 0.2
    for k in "$@"; do
        xdotool key --clearmodifiers "$k"
        sleep 0.3
    done
}

# jpeg_size FILE: prints "WIDTH HEIGHT" of a JPEG file.
jpeg_size() {
    djpeg -pnm -outfile "$VIS_TMP/size.pnm" "$1" && head -c 32 "$VIS_TMP/size.pnm" | tr '\n' ' ' | awk '{print $2, $3}'
}

# capture_count ID: the number of captures the main window's caption counts
# ("Dernière capture ... N capture(s) en cours ..."), 0 for any other caption.
capture_count() {
    local title
    title=$(xdotool getwindowname "$1" 2>/dev/null)
    if [[ $title =~ ^Dernière\ capture\ \.\.\.\ ([0-9]+)\ captures?\ en\ cours\ \.\.\.$ ]]; then
        echo "${BASH_REMATCH[1]}"
    else
        echo 0
    fi
}

# wait_for_count ID N TIMEOUT: waits until the caption counts N captures;
# fails at once if it counts more.
wait_for_count() {
    local id=$1 n=$2 deadline=$((SECONDS + ${3:-10})) count
    while ((SECONDS <= deadline)); do
        count=$(capture_count "$id")
        ((count == n)) && return 0
        ((count > n)) && { echo "the caption counts $count captures, not $n" >&2; return 1; }
        sleep 0.1
    done
    echo "the caption counts $(capture_count "$id") captures, not $n, after ${3:-10}s" >&2
    return 1
}

# click_button ID N: raises the main window (the collection window may lie
# over the toolbar) and clicks toolbar button N (27-pixel tiles from the
# client's left, under the menu bar).
click_button() {
    xdotool windowraise "$1"
    sleep 0.2
    xdotool mousemove --window "$1" $((13 + 27 * $2)) 40 click 1
}

# focus_window ID: activates the window until it is the active one (the
# program may still be activating one of its own, shown again after a
# capture).
focus_window() {
    local deadline=$((SECONDS + 5))
    while ((SECONDS <= deadline)); do
        xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null
        sleep 0.3
        [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]] && return 0
    done
    echo "window $1 does not take the focus from '$(xdotool getactivewindow getwindowname 2>/dev/null)'" >&2
    return 1
}
