#!/usr/bin/env bash
# Runs every example input set (examples/*/input) with the batch program on 1
# thread and on 2 (or the counts given) and checks that every log file is
# byte-identical across the thread counts. The timer stream is left out: it
# holds time estimates, and so is the seconds column of the CSV tables. Runs
# are shortened to GENERATIONS generations.
#
# Usage: scripts/check-threads.sh BATCH-PROGRAM [GENERATIONS [THREADS...]]
set -euo pipefail
if [ $# -lt 1 ] || [ ! -x "$1" ]; then
  echo "Usage: scripts/check-threads.sh BATCH-PROGRAM [GENERATIONS [THREADS...]]" >&2
  exit 2
fi

batch=$(realpath "$1")
generations=${2:-5}
shift $(($# < 2 ? $# : 2))
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1 2)

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/example-folders.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes the parameter file of $1 into $2 with the thread count $3 and the
# generation limit shortened.
shorten() {
  awk -v threads="$3" -v generations="$generations" '
    /^-----[ \t]*int_parameter/ { print; print "threads\t" threads; next }
    $1 == "max_generation" && $2 > generations { print "max_generation\t" generations; next }
    { print }' "$1" >"$2"
}

status=0
checked=0
for example in "$root"/examples/*/; do
  name=$(basename "$example")
  [ -d "$example/input" ] || continue
  for t in "${counts[@]}"; do
    dir="$work/$name-$t"
    mkdir -p "$dir"
    cp -r "$example/input" "$dir/"
    shorten "$example/input/parameter.txt" "$dir/input/parameter.txt" "$t"
    if ! (cd "$dir" && "$batch" >stdout.txt 2>stderr.txt); then
      echo "$name: the run with $t thread(s) failed:" >&2
      cat "$dir/stderr.txt" >&2
      status=1
    fi
    rm -f "$dir/timer.txt"
    without_seconds "$dir"
  done
  first="$work/$name-${counts[0]}"
  for t in "${counts[@]:1}"; do
    if ! diff -r -q -x input "$first" "$work/$name-$t" >/dev/null; then
      echo "$name: logs differ between ${counts[0]} and $t thread(s):" >&2
      diff -r -x input "$first" "$work/$name-$t" | head -20 >&2 || true
      status=1
    fi
  done
  checked=$((checked + 1))
done
if [ "$checked" -eq 0 ]; then
  echo "no example input sets found under $root/examples" >&2
  exit 1
fi
[ "$status" -eq 0 ] && echo "$checked example(s): logs identical with ${counts[*]} thread(s)"
exit "$status"
