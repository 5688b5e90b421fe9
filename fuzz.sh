#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on every target) and runs each for the given
# number of seconds (60 by default), starting from the seeds in fuzz/corpus.
# Prints one line per target:  fuzz <target> <execs> <exec/s> <crashes>
# and fails when any target crashed, leaked or hung.
set -euo pipefail
cd "$(dirname "$0")"
seconds="${1:-60}"

scripts/install-deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCORVALE_FUZZ=ON -DCORVALE_BUILD_TESTS=OFF -DCORVALE_BUILD_BENCH=OFF -DCORVALE_WERROR=OFF > /dev/null
targets=(fuzz_configuration fuzz_help_library fuzz_colour_line fuzz_command_line fuzz_text_reader
  fuzz_script_check fuzz_tcl_nesting fuzz_trace fuzz_dryrun_protocol fuzz_project_file
  fuzz_lsp_messages)
cmake --build build-fuzz --target "${targets[@]}"

failed=0
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  artifacts="build-fuzz/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  # The text reader's buffer is sized to the file: larger inputs cross it.
  maxlen=8192
  [ "$target" = fuzz_text_reader ] && maxlen=140000
  # Scripts are checked whole, up to tens of kilobytes, and the check is run
  # again and again on one checker, as in the editor: it gets longer inputs
  # and three times the time.
  run_seconds="$seconds"
  if [ "$target" = fuzz_script_check ]; then
    maxlen=65536
    run_seconds=$((seconds * 3))
  fi
  log="build-fuzz/$target.log"
  status=0
  ASAN_OPTIONS="detect_leaks=1" "build-fuzz/fuzz/$target" "$corpus" \
    -max_total_time="$run_seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$maxlen" \
    -print_final_stats=1 -artifact_prefix="$artifacts/" > "$log" 2>&1 || status=$?
  execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
  crashes=$(find "$artifacts" -type f | wc -l)
  echo "fuzz $target ${execs:-0} ${rate:-0} $crashes"
  if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    failed=1
    echo "  $target failed (exit $status); see $log and $artifacts" >&2
    grep -E "ERROR|property broken|SUMMARY" "$log" | head -5 >&2 || true
    # A clean clone's artifacts vanish with it: the log keeps each input.
    for artifact in "$artifacts"/*; do
      [ -f "$artifact" ] || continue
      echo "  input $(basename "$artifact") ($(wc -c < "$artifact") bytes), gzip+base64:" >&2
      gzip -9c "$artifact" | base64 -w 0 | head -c 60000 >&2
      echo >&2
    done
  fi
done
exit "$failed"
