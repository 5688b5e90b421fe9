#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
#   ./test.sh             the suite, with warnings as errors
#   ./test.sh --sanitize  the suite built with AddressSanitizer, LeakSanitizer and
#                         UndefinedBehaviorSanitizer, in build-sanitize/; any report fails it
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
build=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  flags=(-DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined")
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVALE_BUILD_TESTS=ON -DCORVALE_WERROR=ON "${flags[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
