# SPDX-License-Identifier: GPL-3.0-or-later
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
# save folder is an empty $OUT_DIR and whose positions 101-117 are SETTINGS
# (the default record's unless given), starts it with a home folder of its own
# and sets MAIN_WIN to the main window's id once it is up. The program lives
# as long as the shell that started it (a subshell, see run_case).
start_app() {
    local settings=${1:-$DEFAULT_SETTINGS}
    # Captures an earlier case's program put aside when it was stopped
    # would be offered at this start.
    rm -rf "$APP_DIR" "$OUT_DIR" "$VIS_TMP/home/.local/state"
    mkdir -p "$APP_DIR" "$OUT_DIR" "$VIS_TMP/home"
    cp -r "$(dirname "$VIS_EXE")"/. "$APP_DIR"/
    printf '%-100s%-20s\r\n' "$OUT_DIR" "$settings" >"$APP_DIR/param.txt"
    HOME="$VIS_TMP/home" env -u XDG_STATE_HOME "$APP_DIR/vistrelle" >"$VIS_TMP/app.log" 2>&1 &
    APP_PID=$!
    trap stop_app EXIT
    MAIN_WIN=$(wait_for_window '^Vistrelle \.\.\.$' 20) || { cat "$VIS_TMP/app.log" >&2; return 1; }
    # Let the start hint finish and the settings load (START_PAUSE seconds).
    sleep "${START_PAUSE:-1}"
}

# Waits until the splash (up to 2 s after the start) has left the screen, for
# a test that takes the screen's picture as the program will find it.
wait_splash_gone() {
    local deadline=$((SECONDS + 10))
    while [[ -n $(xdotool search --onlyvisible --name '^Vistrelle 1\.3$' 2>/dev/null) ]]; do
        ((SECONDS <= deadline)) || fail "the splash stayed"
        sleep 0.1
    done
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

# is_maximised ID: the window manager has the window maximised both ways, or
# the window covers the whole screen (the frozen screen, over every monitor).
is_maximised() {
    local state geometry
    state=$(xprop -id "$1" _NET_WM_STATE 2>/dev/null)
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]] && return 0
    geometry=$(xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x "," y "," w "x" h}')
    [[ $geometry == "0,0,$(xdpyinfo | awk '/dimensions:/ {print $2}')" ]]
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

# menu_entry ID ALT_KEY KEY: opens a menu of the window by its mnemonic and,
# once the menu is on screen (an override-redirect window of the program,
# which xdotool does not find by its name), picks the entry by its own. The
# program passes the activation around after a capture: up to three tries.
menu_entry() {
    local id=$1 deadline
    for _ in 1 2 3; do
        xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
        sleep 0.2
        xdotool key --clearmodifiers "$2"
        deadline=$((SECONDS + 2))
        while ((SECONDS <= deadline)); do
            if popup_open; then
                sleep 0.2
                xdotool key --clearmodifiers "$3"
                return 0
            fi
            sleep 0.1
        done
    done
    echo "menu $2 did not open" >&2
    return 1
}

# jpeg_size FILE: prints "WIDTH HEIGHT" of a JPEG file.
jpeg_size() {
    djpeg -pnm -outfile "$VIS_TMP/size.pnm" "$1" && head -c 32 "$VIS_TMP/size.pnm" | tr '\n' ' ' | awk '{print $2, $3}'
}

# The main window's texts a script waits for.
TITLE_SELECT="^Vistrelle - Sélectionnez la portion d'image à capturer et relachez le bouton \.\.\.\. sinon touche Echap$"
TITLE_CAPTURED='^Image capturée \.\.\.$'

# count_title N: the main window's title once N captures are filed.
count_title() { echo "^Dernière capture \.\.\. +$1 captures? en cours \.\.\.$"; }

# capture_count: the number of captures the main window's title shows, or
# nothing when its title shows no count.
capture_count() {
    [[ $(xdotool getwindowname "$MAIN_WIN" 2>/dev/null) =~ ^Dernière\ capture\ \.\.\.\ +([0-9]+)\ capture ]] &&
        echo "${BASH_REMATCH[1]}"
}

# flash_gone: waits until the camera flash (a window titled "Vistrelle" of
# the utility type) has left the screen.
flash_gone() {
    local deadline=$((SECONDS + 5)) w flash=1
    while [[ -n $flash ]] && ((SECONDS <= deadline)); do
        flash=
        for w in $(xdotool search --onlyvisible --name '^Vistrelle$' 2>/dev/null); do
            xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_UTILITY && flash=1
        done
        [[ -z $flash ]] || sleep 0.1
    done
}

# settle: waits until the flash has gone and the activation has come to rest
# (the same active window for half a second): the program's windows pass it
# around after a capture.
settle() {
    local deadline=$((SECONDS + 5)) active last='' same=0
    flash_gone
    while ((same < 5 && SECONDS <= deadline)); do
        sleep 0.1
        active=$(xdotool getactivewindow 2>/dev/null) || active=
        if [[ $active == "$last" ]]; then ((++same)); else same=0; fi
        last=$active
    done
}

# wait_count N: waits until the main window counts N captures, then settles.
wait_count() {
    wait_for_title "$MAIN_WIN" "$(count_title "$1")" "${2:-10}" || return 1
    settle
}

# Toolbar button k is 405 twips (27 pixels) right of button k-1, 20 twips
# below the menu bar, which is 20 pixels high under this font and theme;
# all twice as far at QT_SCALE_FACTOR=2.
SCALE=${QT_SCALE_FACTOR:-1}
TOOLBAR_Y=$((34 * SCALE))

# click_button K: activates the main window, as a user clicks its title (the
# collection window may lie over the first buttons), and clicks toolbar
# button K once nothing lies over it: the program may pass the activation to
# its collection window meanwhile. A bare raise would not do: it leaves the
# focus where it was.
click_button() {
    local frame under
    frame=$(frame_of "$MAIN_WIN")
    for _ in 1 2 3 4 5; do
        xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || xdotool windowraise "$MAIN_WIN"
        xdotool mousemove --window "$MAIN_WIN" $(((27 * $1 + 14) * SCALE)) "$TOOLBAR_Y"
        sleep 0.2
        under=$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')
        if [[ $under == "$frame" ]]; then
            xdotool click 1
            return 0
        fi
        sleep 0.3
    done
    echo "toolbar button $1 stays covered" >&2
    return 1
}

# drag_in ID X0 Y0 X1 Y1: a left-button drag in the window's client
# coordinates, in small steps.
drag_in() {
    local id=$1 x0=$2 y0=$3 x1=$4 y1=$5 s
    xdotool mousemove --window "$id" "$x0" "$y0"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.2
    for s in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --window "$id" $((x0 + (x1 - x0) * s / 8)) $((y0 + (y1 - y0) * s / 8))
        sleep 0.05
    done
    sleep 0.2
    xdotool mouseup 1
}

# enter_selection: toolbar button 0, then waits for the maximised frozen screen.
enter_selection() {
    click_button 0
    wait_for_title "$MAIN_WIN" "$TITLE_SELECT" 10 || fail "button 0 did not show the frozen screen"
    wait_until_maximised "$MAIN_WIN" 10 || fail "the frozen screen is not maximised"
}

# capture_region N: a region of 240 x 160 pixels by button 0 and a drag; N
# captures are then filed.
capture_region() {
    enter_selection
    drag_in "$MAIN_WIN" 300 400 540 560
    wait_count "$1" || fail "the region was not filed as capture $1"
}

# read_box ID X Y: the text of the text box at client X Y of the window, as
# a user copies it (click, Ctrl+A, Ctrl+C).
read_box() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.2
    xdotool key --clearmodifiers ctrl+a ctrl+c
    sleep 0.3
    xclip -selection clipboard -o 2>/dev/null
}

# wait_for_new_active ID... : prints the active window once it is none of
# the given ones (a dialog that has just opened).
wait_for_new_active() {
    local deadline=$((SECONDS + 10)) a
    while ((SECONDS <= deadline)); do
        a=$(xdotool getactivewindow 2>/dev/null) || a=
        if [[ -n $a ]] && ! printf '%s\n' "$@" | grep -qx "$a"; then
            echo "$a"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# count_of ID: the number of captures the main window's caption counts
# ("Dernière capture ... N capture(s) en cours ..."), 0 for any other caption.
count_of() {
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
        count=$(count_of "$id")
        ((count == n)) && return 0
        ((count > n)) && { echo "the caption counts $count captures, not $n" >&2; return 1; }
        sleep 0.1
    done
    echo "the caption counts $(count_of "$id") captures, not $n, after ${3:-10}s" >&2
    return 1
}

# click_tool ID N: raises the main window (the collection window may lie
# over the toolbar) and clicks toolbar button N (27-pixel tiles from the
# client's left, under the menu bar).
click_tool() {
    xdotool windowraise "$1"
    sleep 0.2
    xdotool mousemove --window "$1" $((13 + 27 * $2)) 40 click 1
}

# focus_window ID: activates the window until it is the active one (the
# program may still be activating one of its own, shown again after a
# capture).
focus_window() {
    local deadline=$((SECONDS + 10))
    while ((SECONDS <= deadline)); do
        # --sync waits for the window manager, which may never answer.
        timeout 2 xdotool windowactivate --sync "$1" 2>/dev/null || timeout 2 xdotool windowfocus --sync "$1" 2>/dev/null
        sleep 0.3
        [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]] && return 0
    done
    echo "window $1 does not take the focus from '$(xdotool getactivewindow getwindowname 2>/dev/null)'" >&2
    return 1
}
