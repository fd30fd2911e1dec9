# SPDX-License-Identifier: GPL-3.0-or-later
# Sleep and wake through the tray icon. "Mettre en veille" from the icon's
# menu hides both windows, every time; under this XEmbed tray a single click
# does nothing and a double click wakes them. Under a StatusNotifierItem host
# (a watcher on a private session bus) the host's single activation wakes them.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"

shown() { is_viewable "$1" && echo shown || echo hidden; }

# wait_both STATE TIMEOUT: both windows shown, or both hidden.
wait_both() {
    local deadline=$((SECONDS + $2))
    until [[ $(shown "$MAIN_WIN") == "$1" && $(shown "$LIST") == "$1" ]]; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.1
    done
}

# A whole-screen capture, so that the collection window is on the screen too.
with_collection() {
    click_tool "$MAIN_WIN" 1
    wait_for_count "$MAIN_WIN" 1 15 || fail "no whole-screen capture"
    LIST=$(wait_for_window '^Collection$' 10) || fail "no collection window"
    settle
}

tray_icon() {
    local panel icon deadline=$((SECONDS + 10))
    panel=$(xdotool search --onlyvisible --classname '^panel$' | head -n 1)
    while ((SECONDS <= deadline)); do
        icon=$(xwininfo -tree -id "$panel" | awk '/"Vistrelle": \("vistrelle" "Vistrelle"\)/ {print $1; exit}')
        [[ -n $icon ]] && { echo "$icon"; return 0; }
        sleep 0.1
    done
    return 1
}

# tray_menu_sleep ICON: the icon's menu, and its second entry, "Mettre en veille".
tray_menu_sleep() {
    xdotool mousemove --window "$1" 11 15 click 3
    popup_keys Down Down Return
}

# Several rounds: the first sleep after the start used to work, the next
# ones left the collection window on the screen.
sleep_from_tray_menu() {
    start_app
    with_collection
    local icon round
    icon=$(tray_icon) || fail "no icon in the tray"
    for round in 1 2 3; do
        tray_menu_sleep "$icon" || fail "round $round: no menu"
        wait_both hidden 10 ||
            fail "round $round: after Mettre en veille the main window is $(shown "$MAIN_WIN"), the collection $(shown "$LIST")"
        # Nothing to wait for: a single click must leave them hidden.
        xdotool mousemove --window "$icon" 11 15 click 1
        sleep 1
        wait_both hidden 0 || fail "round $round: a single click on the XEmbed icon showed a window"
        xdotool mousemove --window "$icon" 11 15 click --repeat 2 --delay 100 1
        wait_both shown 10 || fail "round $round: a double click did not wake both windows"
        settle
    done
}

sni_activate() {
    local item='' deadline
    dbus-daemon --session --nofork --print-address=1 >"$VIS_TMP/bus.txt" 2>"$VIS_TMP/bus.log" &
    bus_pid=$!
    deadline=$((SECONDS + 10))
    until [[ -s $VIS_TMP/bus.txt ]]; do
        ((SECONDS <= deadline)) || fail "no private session bus: $(cat "$VIS_TMP/bus.log")"
        sleep 0.1
    done
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$VIS_TMP/bus.txt")
    : >"$VIS_TMP/items.txt"
    /usr/bin/python3 "$(dirname "$0")/sni_watcher.py" >"$VIS_TMP/items.txt" 2>"$VIS_TMP/watcher.log" &
    watcher_pid=$!
    until grep -qx ready "$VIS_TMP/items.txt"; do
        ((SECONDS <= deadline)) || fail "the watcher did not start: $(cat "$VIS_TMP/watcher.log")"
        sleep 0.1
    done
    QT_LOGGING_RULES=qt.qpa.tray.debug=true start_app
    trap 'stop_app; kill "$watcher_pid" "$bus_pid" 2>/dev/null' EXIT
    deadline=$((SECONDS + 10))
    until item=$(grep -vx ready "$VIS_TMP/items.txt" | head -n 1) && [[ -n $item ]]; do
        ((SECONDS <= deadline)) || fail "no item registered with the watcher"
        sleep 0.1
    done
    grep -q 'D-Bus tray available: true' "$VIS_TMP/app.log" || fail "Qt did not take the D-Bus tray"
    with_collection
    # The close box hides both windows.
    focus_window "$MAIN_WIN" || fail "the main window does not take the focus"
    xdotool key --clearmodifiers alt+F4
    wait_both hidden 10 || fail "Alt+F4 did not hide both windows"
    gdbus call --session --dest "$item" --object-path /StatusNotifierItem \
        --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null || fail "Activate was refused"
    wait_both shown 10 || fail "the host's activation did not wake both windows"
}

run_case sleep_from_tray_menu
run_case sni_activate
end_cases
