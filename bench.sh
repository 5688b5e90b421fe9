#!/usr/bin/env bash
# Builds the benchmarks in Release, runs them, and ends with one line per figure:
#   figure <name> <value> <unit>
# The window figures (window_bench, run_bench) run in shown windows on a private Xvfb
# server, the others offscreen.
set -euo pipefail
cd "$(dirname "$0")"

# Geany is the anchor the window is measured beside.
scripts/install-deps.sh geany
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVALE_BUILD_TESTS=OFF -DCORVALE_BUILD_BENCH=ON
cmake --build build-bench

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for program in build-bench/bench/*_bench; do
  if [ "$(basename "$program")" = window_bench ] || [ "$(basename "$program")" = run_bench ] ||
    [ "$(basename "$program")" = dryrun_bench ] || [ "$(basename "$program")" = anchor_bench ]; then
    scripts/run-under-xvfb.sh "$program" --benchmark_color=false "$@" | tee -a "$log"
  else
    QT_QPA_PLATFORM=offscreen "$program" --benchmark_color=false "$@" | tee -a "$log"
  fi
done
echo
grep '^figure ' "$log"
