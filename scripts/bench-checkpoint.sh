#!/usr/bin/env bash
# The cost of checkpoints: the Santa Fe example (population 500) with
# checkpoint_every 0 (none) and with checkpoint_every 10, run in turn REPEATS times each;
# prints the median and the fastest wall time of each and the overheads in
# percent (on a busy machine the fastest runs are the least disturbed), and
# the median of each pair's ratio (a checkpointing run over the run without
# just before it), which a load that comes and goes disturbs least.
#
# Given other batch programs too, each is measured the same way in the same
# invocation, against its own runs without checkpoints, the programs taken
# in rotating order, and the paired overhead of each is printed: the way to
# compare two builds on a machine whose load changes.
#
# Usage: scripts/bench-checkpoint.sh [BATCH] [REPEATS] [THREADS] [OTHER-BATCH...]
#   BATCH    the batch program (default build/morvane2-batch)
#   REPEATS  runs of each kind (default 7)
#   THREADS  the parameter threads (default 1; 0 for one per core)
set -eu
usage="Usage: scripts/bench-checkpoint.sh [BATCH] [REPEATS] [THREADS] [OTHER-BATCH...]"
case "${1:-}" in -h | --help) echo "$usage"; exit 0 ;; -*) echo "$usage" >&2; exit 2 ;; esac
if ! [[ "${2:-7}" =~ ^[1-9][0-9]*$ && "${3:-1}" =~ ^[0-9]+$ ]]; then
  echo "$usage" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
batch=$(realpath "${1:-$here/build/morvane2-batch}")
repeats=${2:-7}
threads=${3:-1}
builds=("$batch")
for other in "${@:4}"; do builds+=("$(realpath "$other")"); done
work=$(mktemp -d "${TMPDIR:-/tmp}/morvane2-bench-checkpoint.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The runs without checkpoints set checkpoint_every 0 (off) rather than
# leave it out: the parameter files then differ only in a digit, and so does
# where the program's objects lie in memory. One line more in the parameter
# file moves the Santa Fe robot's room by 64 bytes, which on this machine
# changes the run's time by a few percent either way.
for kind in plain checkpoint; do
  mkdir -p "$work/$kind"
  cp -r "$here/examples/santafe/input" "$work/$kind/input"
  every=0
  [ "$kind" = checkpoint ] && every=10
  extra="threads\t$threads\ncheckpoint_every\t$every"
  sed -i "s/^----- int_parameter$/----- int_parameter\n$extra/" "$work/$kind/input/parameter.txt"
done

# Wall seconds of one batch program in folder.
time_batch() {
  local start end
  start=$(date +%s%N)
  (cd "$2" && "$1" >/dev/null 2>&1)
  end=$(date +%s%N)
  echo "$(((end - start) / 1000))"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One unmeasured run of each warms the caches.
count=${#builds[@]}
for ((b = 0; b < count; ++b)); do
  time_batch "${builds[b]}" "$work/plain" >/dev/null
  time_batch "${builds[b]}" "$work/checkpoint" >/dev/null
  : >"$work/plain.$b.times"
  : >"$work/checkpoint.$b.times"
done
for ((i = 0; i < repeats; ++i)); do
  for ((k = 0; k < count; ++k)); do
    b=$(((i + k) % count))
    time_batch "${builds[b]}" "$work/plain" >>"$work/plain.$b.times"
    time_batch "${builds[b]}" "$work/checkpoint" >>"$work/checkpoint.$b.times"
  done
done
cmp -s "$work/plain/log.txt" "$work/checkpoint/log.txt" || echo "warning: the logs differ"
plain=$(median <"$work/plain.0.times")
checkpoint=$(median <"$work/checkpoint.0.times")
plain_min=$(sort -n "$work/plain.0.times" | head -n 1)
checkpoint_min=$(sort -n "$work/checkpoint.0.times" | head -n 1)
paired() { paste "$work/plain.$1.times" "$work/checkpoint.$1.times" | awk '{ print $2 / $1 }' | median; }
awk -v p="$plain" -v c="$checkpoint" -v pm="$plain_min" -v cm="$checkpoint_min" -v r="$(paired 0)" -v n="$repeats" 'BEGIN {
  printf "santafe, population 500, 51 generations, %d runs each, in turn\n", n
  printf "                          median     fastest\n"
  printf "without checkpoints:      %.3f s    %.3f s\n", p / 1e6, pm / 1e6
  printf "checkpoint_every 10:      %.3f s    %.3f s\n", c / 1e6, cm / 1e6
  printf "overhead:                 %+.1f %%    %+.1f %%\n", (c - p) * 100 / p, (cm - pm) * 100 / pm
  printf "overhead, paired:         %+.1f %% (median of the pairs)\n", (r - 1) * 100
}'
if ((count > 1)); then
  echo "each program against its own runs without checkpoints (median of the pairs):"
  for ((b = 0; b < count; ++b)); do
    awk -v r="$(paired "$b")" -v name="${builds[b]}" 'BEGIN { printf "  %+.1f %%  %s\n", (r - 1) * 100, name }'
  done
fi
