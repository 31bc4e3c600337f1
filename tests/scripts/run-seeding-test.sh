#!/usr/bin/env bash
# run_seeding 1: run k of a batch is the one-run batch of seed + k, in its log
# lines and its best program; the batch's best is the first best of its runs.
# run_seeding 2 is refused. Usage: run-seeding-test.sh MORVANE2-BATCH
set -euo pipefail
batch=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib/example-folders.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for example in santafe regression-f2; do
  make_folder "$work/$example-batch" $example seed=20 iteration_num=3 max_generation=4 population_size=60 run_seeding=1 threads=1
  (cd "$work/$example-batch" && "$batch" >/dev/null) || fail "$example: the batch failed"
  : >"$work/expected"
  best_run=-1
  best_fitness=""
  for k in 0 1 2; do
    one="$work/$example-$k"
    make_folder "$one" $example seed=$((20 + k)) iteration_num=1 max_generation=4 population_size=60 threads=1
    (cd "$one" && "$batch" >/dev/null) || fail "$example: the one-run batch of seed $((20 + k)) failed"
    head -n -1 "$one/log.txt" >>"$work/expected"
    fitness=$(tail -n 1 "$one/log.txt" | awk '{ print $1 }')
    if [ $best_run -lt 0 ] || awk -v a="$fitness" -v b="$best_fitness" 'BEGIN { exit !(a + 0 < b + 0) }'; then
      best_run=$k
      best_fitness=$fitness
    fi
  done
  cmp -s <(head -n -1 "$work/$example-batch/log.txt") "$work/expected" ||
    fail "$example: the batch's runs differ from the one-run batches of seed + k"
  [ "$(tail -n 1 "$work/$example-batch/log.txt")" = "$(tail -n 1 "$work/$example-$best_run/log.txt")" ] ||
    fail "$example: the batch's best is not the best of its runs"
  cmp -s "$work/$example-batch/save.txt" "$work/$example-$best_run/save.txt" || fail "$example: save.txt differs"
  if [ -s "$work/$example-$best_run/orbit.txt" ]; then
    cmp -s "$work/$example-batch/orbit.txt" "$work/$example-$best_run/orbit.txt" || fail "$example: orbit.txt differs"
  fi
done

make_folder "$work/bad" santafe run_seeding=2
set +e
(cd "$work/bad" && "$batch" >/dev/null 2>"$work/bad.err")
status=$?
set -e
[ $status -eq 1 ] || fail "run_seeding 2: exit status $status, expected 1"
grep -qx "Fatal error: Parameter run_seeding in input/parameter.txt is 2; expected 0 to 1 at Producer::Producer" \
  "$work/bad.err" || fail "run_seeding 2: unexpected report: $(cat "$work/bad.err")"
echo "run seeding: ok"
