#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compiles the program half, its simulated platform and its unit tests with
# the MinGW-w64 cross compiler (syntax and warnings only, no link): the
# Windows code paths stay buildable. Needs g++-mingw-w64-x86-64-posix.
set -euo pipefail
cd "$(dirname "$0")/.."
cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
command -v "$cxx" >/dev/null || { echo "no $cxx" >&2; exit 1; }

# The cross compiler has no system headers of the build machine; give it the
# header-only interfaces it needs, on their own.
inc=$(mktemp -d)
trap 'rm -rf "$inc"' EXIT
cp /usr/include/turbojpeg.h /usr/include/zlib.h /usr/include/zconf.h "$inc/"
cp /usr/include/png.h /usr/include/pngconf.h /usr/include/pnglibconf.h "$inc/"
cp -r /usr/include/gtest "$inc/"

status=0
for f in src/platform/*.cpp src/capture/*.cpp src/collection/*.cpp src/output/*.cpp src/settings/*.cpp \
         tests/support/*.cpp tests/unit/*.cpp; do
    if ! "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -Isrc -Itests -I"$inc" "$f"; then
        echo "FAILED: $f" >&2
        status=1
    fi
done
exit $status
