#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The JPEG writer on a full-HD photograph at quality 70, with the standard and
# with optimised Huffman tables, against Debian's cjpeg (package
# libjpeg-turbo-progs) run as a whole process on the same pixels: medians,
# file sizes and ratios. The save is timed twice: into the temporary folder
# (a real disk write and flush) and into /dev/shm, where the flush costs
# nothing and the time is the encoder's. Not a test.
#
#   bench/jpeg_vs_cjpeg.sh [BUILD_DIR] [REPETITIONS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
reps=${2:-9}
bench="$build/bench/vis_bench"
[ -x "$bench" ] || { echo "no $bench: build first (cmake --build $build)" >&2; exit 1; }
command -v cjpeg >/dev/null || { echo "no cjpeg (package libjpeg-turbo-progs)" >&2; exit 1; }

disk=$(mktemp) memory=$(mktemp)
trap 'rm -f "$disk" "$memory"' EXIT
run() {  # FILTER: median rows as CSV
    "$bench" --benchmark_filter="$1" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
        --benchmark_enable_random_interleaving=true --benchmark_min_time=0.2 --benchmark_format=csv 2>/dev/null |
        grep '_median"'
}
run '^BM_(EcrireJpg|CjpegProcess)/w:1920/h:1080/photo:1/' >"$disk"
if [ -d /dev/shm ]; then
    TMPDIR=/dev/shm run '^BM_EcrireJpg/w:1920/h:1080/photo:1/' | sed 's/^"/"shm:/' >"$memory"
fi

awk -F, '
    # "name/real_time_median",iterations,real_time,cpu_time,time_unit,...,jpeg_bytes
    {
        name = $1; gsub(/"/, "", name); sub(/\/real_time_median$/, "", name)
        time[name] = $3; bytes[name] = $NF
    }
    function show(label, key) {
        if (key in time) printf "%-38s %8.2f ms %9d bytes\n", label, time[key], bytes[key]
    }
    function ratio(label, a, b) {
        if ((a in time) && (b in time)) printf "%-38s time %.3f  size %.3f\n", label, time[a] / time[b], bytes[a] / bytes[b]
    }
    END {
        save = "BM_EcrireJpg/w:1920/h:1080/photo:1/optimised:0"; saveOpt = "BM_EcrireJpg/w:1920/h:1080/photo:1/optimised:1"
        cj = "BM_CjpegProcess/w:1920/h:1080/photo:1/optimize:0"; cjOpt = "BM_CjpegProcess/w:1920/h:1080/photo:1/optimize:1"
        if (!(save in time) || !(cj in time)) { print "missing benchmark results" > "/dev/stderr"; exit 1 }
        show("writer save, standard tables", save)
        show("writer save, optimised tables", saveOpt)
        show("save to /dev/shm, standard tables", "shm:" save)
        show("save to /dev/shm, optimised tables", "shm:" saveOpt)
        show("cjpeg -quality 70, whole process", cj)
        show("cjpeg -quality 70 -optimize, process", cjOpt)
        ratio("optimised / standard, save", saveOpt, save)
        ratio("optimised / standard, /dev/shm", "shm:" saveOpt, "shm:" save)
        ratio("cjpeg -optimize / cjpeg", cjOpt, cj)
        ratio("writer save / cjpeg", save, cj)
        ratio("writer save / cjpeg -optimize", save, cjOpt)
    }' "$disk" "$memory"
