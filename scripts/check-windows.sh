#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program half, the Win32 services and their tests with the
# MinGW-w64 cross compiler and runs them under Wine, headless, on a private
# X server and in a private Wine prefix:  scripts/check-windows.sh [FOLDER]
# (default build/windows). Exits 77 (skipped) without the cross compiler,
# Wine or Xvfb. Needs g++-mingw-w64-x86-64-posix, googletest, wine64, wine,
# xvfb, xdotool.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$src/build/windows}" && cd "${1:-$src/build/windows}" && pwd)
wine=${VIS_WINE:-/usr/lib/wine/wine64}
for tool in x86_64-w64-mingw32-g++-posix Xvfb xdotool xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "no $tool: skipped" >&2; exit 77; }
done
[[ -x $wine ]] || { echo "no Wine at $wine: skipped" >&2; exit 77; }
[[ -f /usr/src/googletest/CMakeLists.txt ]] || { echo "no GoogleTest sources: skipped" >&2; exit 77; }

# Unoptimised: the quickest to build, and the tests take seconds anyway (and
# -O2 of this GCC warns wrongly about a vector resize in a test).
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$out/build" -G Ninja --toolchain "$src/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O0 -DNDEBUG" -DVIS_DESKTOP=OFF -DVIS_BENCH=OFF -DVIS_HARDENING=OFF \
    "${launcher[@]}" >"$out/configure.log" || { cat "$out/configure.log" >&2; exit 1; }
cmake --build "$out/build" -j2

work=$(mktemp -d "${TMPDIR:-/tmp}/vis-wine.XXXXXX")
pids=()
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEARCH=win64
# No offer to download Mono or Gecko into a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

# A server of its own, without a window manager: Wine's windows stand where
# the program puts them.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
display=
read -r -t 30 -u "$fd" display || true
exec {fd}<&-
[[ -n $display ]] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display"
for _ in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
[[ $(xdpyinfo -queryExtensions) == *XTEST* ]] || { echo "no XTEST: xdotool would press nothing" >&2; exit 1; }

status=0
# Unit tests. Debian has no TurboJPEG for MinGW, so this build writes no JPEG
# file; the tests that save one are left out here (they run natively).
no_jpeg=SelectionTest.SavedMarkerOnlyWithASavedCaptureOnDisplay
no_jpeg+=:SavingTest.FirstSaveThenTheNextNameInTheSameFolder:SavingTest.BmpOnlyForLowerCaseBmp
no_jpeg+=:SavingTest.NoIntermediateFileNextToTheTarget:SavingTest.ReplaceQuestion
no_jpeg+=:SavingTest.NameWithoutExtensionIsStillSaved:SavingTest.SaveAllWritesJpegUnderAutomaticNamesAndSkipsSavedOnes
no_jpeg+=:SavingTest.SaveAllNeverReplacesAFileNorALink:SavingTest.SaveAllMakesTheMissingDefaultFolder
no_jpeg+=:RecoveryTest.UnsavedCapturesComeBackInOrderUnsavedAsTheyWere:QuitTest.TheThreeAnswers
no_jpeg+=:PeriodicTest.StartsOnlyAfterARegionAndSavesAndEmptiesFromTen
no_jpeg+=:PeriodicTest.MoreThanTenSavesAtTheFirstTickAndAFailedSaveStops
no_jpeg+=:SavingTest.TheMarkerGoesWithTheCaptureOnDisplay:PeriodicTest.StoppingAlwaysWorksStartingNeedsARegion
echo "== unit tests under Wine"
(cd "$work" && "$wine" "$out/build/tests/unit_tests.exe" --gtest_brief=1 "--gtest_filter=-$no_jpeg") || status=1

# The Win32 services on Wine's desktop. The key test prints when to press;
# the keys are held through the X server, on the test's window.
echo "== Win32 services under Wine"
(cd "$work" && VIS_KEYS_HELPER=1 "$wine" "$out/build/tests/win32_tests.exe") >"$work/win32.log" 2>&1 &
test_pid=$!
held=
while kill -0 "$test_pid" 2>/dev/null; do
    if [[ -z $held ]] && grep -q "hold SHIFT F11 now" "$work/win32.log"; then
        win=$(xdotool search --name "Vistrelle Win32 test" | head -n 1)
        [[ -n $win ]] && xdotool windowfocus --sync "$win"
        xdotool keydown shift F11
        held=1
    fi
    sleep 0.1
done
wait "$test_pid" || status=1
[[ -n $held ]] && xdotool keyup shift F11
cat "$work/win32.log"
exit $status
