# SPDX-License-Identifier: GPL-3.0-or-later
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

# client_origin ID: prints "X Y", the screen position of the window's
# client area (xdotool's own adds the frame's offset twice under openbox).
client_origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}'
}

# frame_of ID: the window manager's frame around the window (its ancestor
# that is a child of the root), as a decimal id.
frame_of() {
    local w=$1 tree root parent
    while :; do
        tree=$(xwininfo -id "$w" -tree 2>/dev/null) || return 1
        root=$(awk '/Root window id:/ {print $4}' <<<"$tree")
        parent=$(awk '/Parent window id:/ {print $4}' <<<"$tree")
        ((parent == root)) && break
        w=$parent
    done
    echo $((w))
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

# is_viewable ID: the window is mapped and all its ancestors too.
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# wait_until_gone ID TIMEOUT: the window is no longer on screen.
wait_until_gone() {
    local deadline=$((SECONDS + ${2:-10}))
    while is_viewable "$1"; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.1
    done
}

# windows_over ID: the managed windows on screen stacked above the window.
windows_over() {
    local ids above='' w
    ids=$(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*')
    for w in $ids; do
        # Only the program's own windows count (not a panel of the desktop).
        if [[ -n $above ]] && is_viewable "$w" && xprop -id "$w" WM_CLASS 2>/dev/null | grep -qi vistrelle; then
            echo "$((w)) '$(xdotool getwindowname "$w")'"
        fi
        (($((w)) == $1)) && above=1
    done
    return 0
}

# popup_open: a pop-up menu of the program is on the screen. A menu is an
# override-redirect child of the root (the tray icon, also the program's,
# sits in the tray's panel), and so is a tooltip left by the pointer: its
# window type tells it.
popup_open() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^vistrelle$' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' &&
            xwininfo -tree -id "$w" 2>/dev/null | grep -q 'Parent window id: .*(the root window)' &&
            [[ $(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null) != *_TOOLTIP* ]] && return 0
    done
    return 1
}

# popup_keys KEYS...: once a pop-up menu of the program is on the screen,
# types the keys into it.
popup_keys() {
    local deadline=$((SECONDS + 10))
    while ((SECONDS <= deadline)); do
        if popup_open; then
            sleep 0.2
            xdotool key "$@"
            return 0
        fi
        sleep 0.1
    done
    echo "no pop-up menu opened" >&2
    return 1
}

# run_case FUNCTION: runs one case in a subshell, so that a program it
# starts ends with it; a failing case is counted and the next one still runs.
# With VIS_E2E_CASE set, only that case runs (ctest runs the cases of a long
# script side by side).
CASES_FAILED=()
CASES_RUN=0
run_case() {
    local name=$1 rc start=$SECONDS
    [[ -z ${VIS_E2E_CASE:-} || $name == "$VIS_E2E_CASE" ]] || return 0
    ((++CASES_RUN))
    echo "--- $name"
    set +e
    (
        set -e
        "$name"
    )
    rc=$?
    set -e
    if ((rc == 0)); then echo "ok: $name ($((SECONDS - start)) s)"; else CASES_FAILED+=("$name"); fi
}

# end_cases: fails when a case has failed, or when the case asked for is
# not there.
end_cases() {
    ((CASES_RUN > 0)) || { echo "FAIL: no case ${VIS_E2E_CASE:-} ran" >&2; exit 1; }
    ((${#CASES_FAILED[@]} == 0)) && return 0
    echo "FAIL: ${CASES_FAILED[*]}" >&2
    exit 1
}
