#!/usr/bin/env bash
# The cost of checkpoints: the Santa Fe example (population 500) without
# checkpoints and with checkpoint_every 10, run in turn REPEATS times each;
# prints the median and the fastest wall time of each and the overheads in
# percent (on a busy machine the fastest runs are the least disturbed), and
# the median of each pair's ratio (a checkpointing run over the run without
# just before it), which a load that comes and goes disturbs least.
#
# Usage: scripts/bench-checkpoint.sh [BATCH] [REPEATS] [THREADS]
#   BATCH    the batch program (default build/morvane2-batch)
#   REPEATS  runs of each kind (default 7)
#   THREADS  the parameter threads (default 1; 0 for one per core)
set -eu
usage="Usage: scripts/bench-checkpoint.sh [BATCH] [REPEATS] [THREADS]"
case "${1:-}" in -h | --help) echo "$usage"; exit 0 ;; -*) echo "$usage" >&2; exit 2 ;; esac
if ! [[ "${2:-7}" =~ ^[1-9][0-9]*$ && "${3:-1}" =~ ^[0-9]+$ ]]; then
  echo "$usage" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
batch=$(realpath "${1:-$here/build/morvane2-batch}")
repeats=${2:-7}
threads=${3:-1}
work=$(mktemp -d "${TMPDIR:-/tmp}/morvane2-bench-checkpoint.XXXXXX")
trap 'rm -rf "$work"' EXIT

for kind in plain checkpoint; do
  mkdir -p "$work/$kind"
  cp -r "$here/examples/santafe/input" "$work/$kind/input"
  extra="threads\t$threads"
  [ "$kind" = checkpoint ] && extra="$extra\ncheckpoint_every\t10"
  sed -i "s/^----- int_parameter$/----- int_parameter\n$extra/" "$work/$kind/input/parameter.txt"
done

# Wall seconds of one batch in folder.
time_batch() {
  local start end
  start=$(date +%s%N)
  (cd "$1" && "$batch" >/dev/null 2>&1)
  end=$(date +%s%N)
  echo "$(((end - start) / 1000))"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One unmeasured run of each warms the caches.
time_batch "$work/plain" >/dev/null
time_batch "$work/checkpoint" >/dev/null
: >"$work/plain.times"
: >"$work/checkpoint.times"
for i in $(seq 1 "$repeats"); do
  time_batch "$work/plain" >>"$work/plain.times"
  time_batch "$work/checkpoint" >>"$work/checkpoint.times"
done
cmp -s "$work/plain/log.txt" "$work/checkpoint/log.txt" || echo "warning: the logs differ"
plain=$(median <"$work/plain.times")
checkpoint=$(median <"$work/checkpoint.times")
plain_min=$(sort -n "$work/plain.times" | head -n 1)
checkpoint_min=$(sort -n "$work/checkpoint.times" | head -n 1)
paired=$(paste "$work/plain.times" "$work/checkpoint.times" | awk '{ print $2 / $1 }' | median)
awk -v p="$plain" -v c="$checkpoint" -v pm="$plain_min" -v cm="$checkpoint_min" -v r="$paired" -v n="$repeats" 'BEGIN {
  printf "santafe, population 500, 51 generations, %d runs each, in turn\n", n
  printf "                          median     fastest\n"
  printf "without checkpoints:      %.3f s    %.3f s\n", p / 1e6, pm / 1e6
  printf "checkpoint_every 10:      %.3f s    %.3f s\n", c / 1e6, cm / 1e6
  printf "overhead:                 %+.1f %%    %+.1f %%\n", (c - p) * 100 / p, (cm - pm) * 100 / pm
  printf "overhead, paired:         %+.1f %% (median of the pairs)\n", (r - 1) * 100
}'
