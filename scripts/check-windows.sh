#!/usr/bin/env bash
# The Windows check of the Qt-free core: cross-builds text/, colour/, config/,
# helplib/, run/, their unit tests (GoogleTest built from Debian's sources with
# the same toolchain) and corvale-batch.exe with MinGW-w64, and runs the tests
# under Wine. The Windows-only cases (the fixed configuration path on c:,
# backslash paths, CR LF files, corvale-batch.exe's quoting) run there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64 wine64 libgtest-dev
build=build-windows
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Debug -DCORVALE_CORE_ONLY=ON -DCORVALE_WERROR=ON > /dev/null
cmake --build "$build"

# A Wine of its own, so nothing of the user's is touched and every run starts alike.
export WINEPREFIX="$(pwd)/$build/wine"
export WINEDEBUG=-all
export WINEARCH=win64
mkdir -p "$WINEPREFIX"
wineboot --init > /dev/null 2>&1 || true

failed=0
for program in text colour config helplib run; do
  exe="$build/tests/$program/${program}_tests.exe"
  log="$build/${program}_tests.log"
  if timeout 600 wine "$exe" > "$log" 2>&1 && grep -q '^\[  PASSED  \]' "$log" && ! grep -q '^\[  FAILED  \]' "$log"; then
    echo "windows: $(grep '^\[  PASSED  \]' "$log" | head -1) ($program)"
  else
    failed=1
    echo "windows: $program failed; see $log" >&2
    grep -E 'Failure|FAILED|error' "$log" | head -20 >&2 || true
  fi
done
[ -f "$build/src/run/corvale-batch.exe" ] || { echo "windows: no corvale-batch.exe" >&2; failed=1; }
exit "$failed"
