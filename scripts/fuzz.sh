#!/usr/bin/env bash
# Runs the fuzz targets for a fixed time each: every input reader (file list,
# parameters, log setting, node-set table, problem file, walls file) and a
# whole batch run on a fuzzed problem file.
#
#   scripts/fuzz.sh [-t SECONDS] [-j PARALLEL] [-o FOLDER] [TARGET...]
#
# -t  seconds per target (default 60); -j  targets run at once (default 1);
# -o  working folder (default fuzz-out/): each target grows its corpus in
#     FOLDER/TARGET/corpus, starting from the seeds in tests/fuzz/corpus/TARGET,
#     and leaves any finding there as crash-*, timeout-*, oom-* or leak-*.
# TARGET is one of file_list parameters log_setting table problem walls batch
# (default: all). Builds build-fuzz/ (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) first. Prints one line per target and fails if
# any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

seconds=60
parallel=1
out=fuzz-out
while getopts "t:j:o:" option; do
  case $option in
    t) seconds=$OPTARG ;;
    j) parallel=$OPTARG ;;
    o) out=$OPTARG ;;
    *) sed -n '6p' "$0" | sed 's/^# */Usage: /' >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(file_list parameters log_setting table problem walls batch)
for target in "${targets[@]}"; do
  case $target in
    file_list | parameters | log_setting | table | problem | walls | batch) ;;
    *) sed -n '6p' "$0" | sed 's/^# */Usage: /' >&2; exit 2 ;;
  esac
done

ensure_packages clang libclang-rt-14-dev cmake ninja-build
build_folder build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DMORVANE2_FUZZ=ON

# Leaks are expected after a caught fatal report (the shipped program ends
# there); everything else the sanitizers see is a finding.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Runs one target; writes its summary line to FOLDER/TARGET/summary.
run_target() {
  local target=$1
  local dir=$out/$target
  mkdir -p "$dir/corpus" "$dir/earlier"
  rm -f "$dir/summary"
  # Findings of earlier runs are kept aside, so that only new ones count.
  find "$dir" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) \
    -exec mv -t "$dir/earlier" {} +
  local dict=()
  [ -f "tests/fuzz/$target.dict" ] && dict=(-dict="tests/fuzz/$target.dict")
  local status=0
  "build-fuzz/fuzz_$target" "$dir/corpus" "tests/fuzz/corpus/$target" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$dir/" -print_final_stats=1 >"$dir/log" 2>&1 || status=$?
  local runs corpus
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  corpus=$(find "$dir/corpus" -type f | wc -l)
  local findings
  findings=$(find "$dir" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) | wc -l)
  if [ "$status" -eq 0 ] && [ "$findings" -eq 0 ]; then
    echo "fuzz $target: ${runs:-0} executions in ${seconds} s, corpus $corpus, no finding" >"$dir/summary"
  else
    echo "fuzz $target: FINDING (exit $status) after ${runs:-?} executions; see $dir/log" >"$dir/summary"
  fi
}

failed=0
running=0
for target in "${targets[@]}"; do
  if [ ! -x "build-fuzz/fuzz_$target" ]; then
    echo "fuzz $target: no such target" >&2
    failed=1
    continue
  fi
  run_target "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true
for target in "${targets[@]}"; do
  [ -f "$out/$target/summary" ] || continue
  cat "$out/$target/summary"
  grep -q "no finding" "$out/$target/summary" || failed=1
done
exit $failed
