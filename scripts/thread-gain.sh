#!/usr/bin/env bash
# Times the batch program on an example with one thread and with two,
# alternating the two, and prints the median wall time of each and their
# ratio. Run after ./test.sh or ./run.sh has built build/.
#
# A second line gives the machine's own ceiling for that ratio: two
# one-thread runs started together, each on its own copy of the example.
# Where two cores share one physical core (virtual machines often do) or
# memory bandwidth, each run is slower beside the other; twice the one-run
# time over the time the pair takes is then the most any two threads could
# gain on this machine, and the gain over it is how much of that the
# program gets.
#
# A third line, where the benchmarks are built, gives a cache line's trip
# between two processors and back (build/morvane2-cache-trip) before and
# after the runs: tens of nanoseconds where the processors share a cache,
# several hundred where they do not (a virtual machine's host may place them
# either way, and change it within minutes); two threads that pass work to
# each other then gain much less, while two separate runs do not notice.
#
# Usage: scripts/thread-gain.sh EXAMPLE [ITERATIONS [REPEATS [POPULATION]]]
#   e.g. scripts/thread-gain.sh santafe 2 3 4000
#   POPULATION replaces the example's population_size (default: keep it).
set -euo pipefail
# Timestamps come from bash itself, with a point for the decimals: a `date`
# process on each side of a run was timed along with it (about 2 ms here,
# a tenth of the shortest examples' runs).
export LC_ALL=C
if [ -z "${EPOCHREALTIME:-}" ]; then
  echo "scripts/thread-gain.sh needs bash 5 or later (EPOCHREALTIME)" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || [ $# -gt 4 ] || [ ! -d "$root/examples/${1:-}/input" ] || ! [[ "${4:-1}" =~ ^[1-9][0-9]*$ ]]; then
  echo "Usage: scripts/thread-gain.sh EXAMPLE [ITERATIONS [REPEATS [POPULATION]]]  (EXAMPLE: a folder of examples/)" >&2
  exit 2
fi
example=$1
iterations=${2:-1}
repeats=${3:-3}
population=${4:-}
batch="$root/build/morvane2-batch"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for threads in 1 2 pair; do
  mkdir -p "$work/$threads"
  cp -r "$root/examples/$example/input" "$work/$threads/"
  parameters="$work/$threads/input/parameter.txt"
  count=$threads
  [ "$threads" != pair ] || count=1
  sed -i -e '/^threads\b/d' -e "s/^iteration_num\t.*/iteration_num\t$iterations/" \
    -e "s/^----- int_parameter$/----- int_parameter\nthreads\t$count/" "$parameters"
  [ -z "$population" ] || sed -i "s/^population_size\t.*/population_size\t$population/" "$parameters"
done

trip="$root/build/morvane2-cache-trip"
tripBefore=""
[ ! -x "$trip" ] || tripBefore=$("$trip" 2> /dev/null || true)

declare -A times
# Each run starts from this shell, in its folder, with nothing else forked
# in the time taken.
for ((r = 0; r < repeats; ++r)); do
  for threads in 1 2; do
    cd "$work/$threads"
    start=$EPOCHREALTIME
    "$batch" > /dev/null 2>&1
    end=$EPOCHREALTIME
    times[$threads]+="$start $end,"
  done
  # The one-thread run twice at once, in two folders.
  cd "$work/pair"
  start=$EPOCHREALTIME
  (cd "$work/1" && exec "$batch" > /dev/null 2>&1) &
  "$batch" > /dev/null 2>&1
  wait $!
  end=$EPOCHREALTIME
  times[pair]+="$start $end,"
done
cd "$root"

# The median of "start end," pairs' differences.
median() { tr ',' '\n' | sed '/^$/d' | awk '{print $2 - $1}' | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
one=$(echo "${times[1]}" | median)
two=$(echo "${times[2]}" | median)
pair=$(echo "${times[pair]}" | median)
printf '%s%s, %d iteration(s), median of %d: 1 thread %.3f s, 2 threads %.3f s, gain %.2fx\n' \
  "$example" "${population:+ (population $population)}" "$iterations" "$repeats" "$one" "$two" "$(echo "$one / $two" | bc -l)"
printf '  two 1-thread runs at once %.3f s: ceiling %.2fx, gain/ceiling %.0f%%\n' \
  "$pair" "$(echo "2 * $one / $pair" | bc -l)" "$(echo "100 * $one / $two / (2 * $one / $pair)" | bc -l)"
if [ -n "$tripBefore" ]; then
  tripAfter=$("$trip" 2> /dev/null || true)
  printf '  a cache line from one processor to the other and back: %s before the runs, %s after\n' \
    "$tripBefore" "${tripAfter:-?}"
fi
