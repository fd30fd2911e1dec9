# Helpers for the end-to-end scripts (sourced). Needs DISPLAY, as set by
# run_with_display.sh.

# wait_for_window NAME_REGEX TIMEOUT_SECONDS: prints the id of the first
# visible window whose title matches, or fails after the timeout.
wait_for_window() {
    local regex=$1 timeout=${2:-10} id
    local deadline=$((SECONDS + timeout))
    while ((SECONDS <= deadline)); do
        id=$(xdotool search --onlyvisible --name "$regex" 2>/dev/null | head -n 1)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no visible window matching '$regex' after ${timeout}s" >&2
    return 1
}

# window_geometry ID: prints "X Y WIDTH HEIGHT" of the client window.
window_geometry() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "$X $Y $WIDTH $HEIGHT"
}

# window_title ID
window_title() { xdotool getwindowname "$1"; }

# screenshot FILE: the whole screen as an XWD file (xwd from x11-apps) when
# that tool is there; otherwise says so and returns 2.
screenshot() {
    if command -v xwd >/dev/null 2>&1; then
        xwd -root -silent -out "$1"
    else
        echo "screenshot: xwd is not installed" >&2
        return 2
    fi
}

# fail MESSAGE: prints it and exits the script with 1.
fail() {
    echo "FAIL: $*" >&2
    # What the program said, when a script started one.
    [[ -n ${VIS_TMP:-} && -s $VIS_TMP/app.log ]] && sed 's/^/  app: /' "$VIS_TMP/app.log" >&2
    exit 1
}
