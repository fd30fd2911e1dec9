# SPDX-License-Identifier: GPL-3.0-or-later
# Without an X11 display the program says so in one line on stderr and ends
# with status 1 (not Qt's abort). In a Wayland session with XWayland it runs on
# X11 and says once that the screen is read through the desktop's portal.
set -u
source "$VIS_E2E_LIB"
source "$(dirname "$0")/app.sh"

# refused LABEL ENV...: the program, started with env's arguments, ends with
# status 1 after exactly one line on stderr that names X11.
refused() {
    local label=$1 status
    shift
    timeout 30 env "$@" "$VIS_EXE" >"$VIS_TMP/out" 2>"$VIS_TMP/err"
    status=$?
    ((status == 1)) || fail "$label: exit status $status, stderr: $(cat "$VIS_TMP/err")"
    [[ ! -s $VIS_TMP/out && $(wc -l <"$VIS_TMP/err") -eq 1 ]] && grep -q X11 "$VIS_TMP/err" ||
        fail "$label: stdout '$(cat "$VIS_TMP/out")', stderr '$(cat "$VIS_TMP/err")'"
    echo "$label: $(cat "$VIS_TMP/err")"
}

dead=
for n in $(seq 200 299); do
    [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]] && { dead=:$n; break; }
done
refused "no DISPLAY" -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM
refused "Wayland without XWayland" -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=wayland-0
refused "no server at $dead" -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$dead"

unset QT_QPA_PLATFORM
export WAYLAND_DISPLAY=wayland-vis XDG_SESSION_TYPE=wayland
start_app || fail "no main window under XWayland"
notes=$(grep -c 'XWayland' "$VIS_TMP/app.log")
((notes == 1)) || fail "the XWayland note was given $notes times"
grep -q 'XWayland.*portail' "$VIS_TMP/app.log" || fail "the XWayland note does not name the portal"
echo "XWayland: $(grep XWayland "$VIS_TMP/app.log")"
