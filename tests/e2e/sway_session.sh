#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop of run_in_sway.sh, as its unprivileged user on a bus of its
# own (dbus-run-session): starts sway, pipewire, the portal and a red foot,
# runs the command given, and stops all it started by process id (the bus
# ends what it started itself).
set -u
# What the bus says goes to its log; what the script says, to stdout.
exec 2>&1
export HOME=/tmp/work XDG_RUNTIME_DIR=/tmp/work/runtime VIS_TMP=/tmp/work VIS_OUT=/tmp/out VIS_EXE=/tmp/app/vistrelle
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The caller's folder may lie under the /tmp that the session's own hides.
cd "$HOME"
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
pids=()
stop_all() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap stop_all EXIT
logs() { tail -n 20 "$VIS_TMP"/*.log; }

# wait_for WHAT TENTHS COMMAND...: retries the command until it succeeds.
wait_for() {
    local what=$1 tenths=$2
    shift 2
    for ((n = 0; n < tenths; n++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "$what did not come up" >&2
    logs
    exit 1
}

# The program's windows float where they ask to be, as on a stacking desktop.
cat >"$VIS_TMP/sway.conf" <<'EOF'
xwayland enable
output HEADLESS-1 resolution 1280x800 position 0,0
default_border none
default_floating_border none
for_window [shell="xwayland"] floating enable
EOF
sway -c "$VIS_TMP/sway.conf" >"$VIS_TMP/sway.log" 2>&1 &
pids+=($!)
wayland_socket() { compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" >/dev/null; }
wait_for "sway" 100 wayland_socket
WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n 1)")
# XWayland takes the first display, free in this /tmp.
export WAYLAND_DISPLAY DISPLAY=:0
SWAYSOCK=$(echo "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
export SWAYSOCK
wait_for "sway's outputs" 50 swaymsg -t get_outputs

pipewire >"$VIS_TMP/pipewire.log" 2>&1 &
pids+=($!)
# The bus starts the portal and its backends when first asked, with these.
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_RUNTIME_DIR
screenshot_portal() {
    gdbus introspect --session -d org.freedesktop.portal.Desktop -o /org/freedesktop/portal/desktop |
        grep -q 'interface org.freedesktop.portal.Screenshot'
}
wait_for "the screenshot portal" 100 screenshot_portal

# X11 windows float, as on a stacking desktop, each time they are shown
# (sway applies for_window once per window, not at each map).
swaymsg -r -m -t subscribe '["window"]' 2>/dev/null | while read -r event; do
    [[ $event == *'"change": "new"'* && $event == *'"shell": "xwayland"'* ]] || continue
    [[ $event =~ \"container\":\ \{\ *\"id\":\ ([0-9]+) ]] && swaymsg "[con_id=${BASH_REMATCH[1]}] floating enable" >/dev/null
done &
pids+=($!)

# A native Wayland client in a known colour over the whole screen.
foot -o colors.background=ff0000 -o colors.foreground=ff0000 -o cursor.color='ff0000 ff0000' sleep 3600 \
    >"$VIS_TMP/foot.log" 2>&1 &
pids+=($!)
wait_for "foot" 50 bash -c "swaymsg -t get_tree | grep -q '\"app_id\": \"foot\"'"
# Its first frame.
sleep 0.3

"$@"
status=$?
((status == 0)) || logs
exit $status
