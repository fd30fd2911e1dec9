# SPDX-License-Identifier: GPL-3.0-or-later
# xvfb-screen: 7680x4320x24
# Memory running out during a grab (the program's address space limited, as
# `ulimit -v` does, to a little more than it holds once started): the grab
# fails with a message, both windows come back and the capture already filed
# stays. Screenshots are kept with VIS_SHOTS=DIR.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/app.sh"
source "$(dirname "$0")/desktop.sh"
source "$(dirname "$0")/recovery.sh"

command -v prlimit >/dev/null || fail "prlimit (util-linux) is missing"
# The sanitizers' allocator ends the program when an allocation fails. The
# list is read whole first: grep -q stopping early would fail ldd's pipe.
if [[ $(ldd "$VIS_EXE") == *libasan* ]]; then
    echo "ok: not run under AddressSanitizer"
    exit 0
fi
hsetroot -solid '#336699' >/dev/null
start_app
capture_region 1
list=$(wait_for_window '^Collection$' 10) || fail "no collection window"
settle
# 7680 x 4320 pixels take about 100 MB at 3 bytes each: a grab needs more
# than the 40 MB left.
vm=$(awk '/^VmSize:/ {print $2}' "/proc/$APP_PID/status")
prlimit --pid "$APP_PID" --as=$(((vm + 40 * 1024) * 1024)):
click_button 1
box=$(message_box 20) || { shot no-message; fail "no message after a grab without memory"; }
shot out-of-memory
kill -0 "$APP_PID" || fail "the program ended"
is_viewable "$MAIN_WIN" || fail "the main window stayed hidden"
is_viewable "$list" || fail "the collection window stayed hidden"
[[ $(capture_count) == 1 ]] || fail "the captures are now '$(capture_count)'"
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key --clearmodifiers Return
wait_until_gone "$box" 5 || fail "the message did not close"
# With the memory back, the whole screen is grabbed.
prlimit --pid "$APP_PID" --as=unlimited:
click_button 1
wait_count 2 20 || fail "no whole-screen capture once the memory is back"
echo "ok: out of memory told, windows back, the filed capture kept"
