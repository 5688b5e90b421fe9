#!/usr/bin/env bash
# Builds the benchmarks in Release, runs them, and ends with one line per figure:
#   figure <name> <value> <unit>
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVALE_BUILD_TESTS=OFF -DCORVALE_BUILD_BENCH=ON
cmake --build build-bench
export QT_QPA_PLATFORM=offscreen

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for program in build-bench/bench/*_bench; do
  "$program" --benchmark_color=false "$@" | tee -a "$log"
done
echo
grep '^figure ' "$log"
