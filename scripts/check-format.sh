#!/usr/bin/env bash
# Fails when a C++ source, test, benchmark or fuzz target deviates from
# .clang-format; `clang-format -i` on the files it names puts them right.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang-format
git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  'fuzz/*.cpp' 'fuzz/*.h' | xargs -0 clang-format --dry-run --Werror
echo "format: clean"
