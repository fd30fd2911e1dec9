# SPDX-License-Identifier: GPL-3.0-or-later
# The X11 parts of the platform services (active-window grab, key state) on a
# real X server with a window manager, through the desktop test program.
set -u
source "$VIS_E2E_LIB"

tests="$(dirname "$VIS_EXE")/../tests/desktop_tests"
if [[ ! -x $tests ]]; then
    echo "SKIP: desktop_tests is not built beside $VIS_EXE"
    exit 0
fi
if [[ ${VIS_XVFB_ARGS:-} == *MIT-SHM* ]]; then
    xdpyinfo -queryExtensions | grep -q MIT-SHM && fail "the server still shares memory"
fi
QT_QPA_PLATFORM=xcb "$tests" --gtest_filter='X11*' --gtest_brief=1 || fail "X11 service tests"
# They must have run, not skipped for want of a display.
QT_QPA_PLATFORM=xcb "$tests" --gtest_filter='X11Services.*' 2>&1 | grep -q '\[  SKIPPED \]' &&
    fail "the X11 tests were skipped on $DISPLAY"
exit 0
