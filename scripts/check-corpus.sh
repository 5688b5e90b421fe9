#!/usr/bin/env bash
# The check on real code nobody here wrote: Debian's tcllib and Tcl's and
# Tk's own libraries, all valid. Builds corvale-check in Release and prints
#   figure check_false_errors_per_kloc_core <value> errors/kloc
#     errors on tcllib and Tcl's library that are not Tk's commands and not a
#     command a proc of the corpus defines (a package's own, from a file the
#     script does not source)
#   figure check_corpus_mb_per_s <value> MB/s    the whole corpus, one process
#   figure check_slowest_ms_per_100kb <value> ms  the slowest file of 50 KB or more
#   figure check_linear_ratio <value> x
#     2,000 findings after 40,000 clean lines, against the same placed first
# and the errors by rule, so that a new false alarm shows where it comes from.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh tcllib python3
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVALE_BUILD_TESTS=OFF \
  -DCORVALE_BUILD_BENCH=ON > /dev/null
cmake --build build-bench --target corvale-check > /dev/null
exec python3 scripts/check_corpus.py build-bench/src/app/corvale-check share/help
