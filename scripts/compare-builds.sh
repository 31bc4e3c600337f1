#!/usr/bin/env bash
# Runs every example input set (examples/*/input) with two batch programs, an
# earlier build's and this one's, on each thread count given, and checks that
# every log file (timer aside) is byte-identical to the earlier build's run on
# one thread. Full length unless GENERATIONS is given. The CSV tables are
# compared without their seconds column, and not at all when the earlier
# build wrote none (it predates them).
#
# Usage: scripts/compare-builds.sh OLD-BATCH NEW-BATCH [GENERATIONS|full [THREADS...]]
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "Usage: scripts/compare-builds.sh OLD-BATCH NEW-BATCH [GENERATIONS|full [THREADS...]]" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
generations=${3:-full}
shift $(($# < 3 ? $# : 3))
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1 2 3)

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/example-folders.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Copies example $1 to folder $2 with the thread count $3 and, unless the run
# is full length, the generation limit shortened.
prepare() {
  mkdir -p "$2"
  cp -r "$1/input" "$2/"
  awk -v threads="$3" -v generations="$generations" '
    /^-----[ \t]*int_parameter/ { print; print "threads\t" threads; next }
    generations != "full" && $1 == "max_generation" && $2 > generations { print "max_generation\t" generations; next }
    { print }' "$1/input/parameter.txt" >"$2/input/parameter.txt"
}

# Runs batch program $1 in folder $2; the timer log is dropped.
run_in() {
  (cd "$2" && "$1" >stdout.txt 2>stderr.txt) || echo "exit $?" >"$2/status.txt"
  rm -f "$2/timer.txt"
  without_seconds "$2"
}

status=0
for example in "$root"/examples/*/; do
  name=$(basename "$example")
  [ -d "$example/input" ] || continue
  prepare "$example" "$work/$name-old" 1
  run_in "$old" "$work/$name-old"
  skip=()
  if ! find "$work/$name-old" -maxdepth 1 -name '*.csv' -size +0 | grep -q .; then skip=(-x '*.csv'); fi
  for t in "${counts[@]}"; do
    prepare "$example" "$work/$name-$t" "$t"
    run_in "$new" "$work/$name-$t"
    if ! diff -r -q -x input -x stderr.txt "${skip[@]}" "$work/$name-old" "$work/$name-$t" >/dev/null; then
      echo "$name: logs with $t thread(s) differ from the earlier build's:" >&2
      diff -r -x input -x stderr.txt "${skip[@]}" "$work/$name-old" "$work/$name-$t" | head -20 >&2 || true
      status=1
    fi
  done
done
[ "$status" -eq 0 ] && echo "every example: logs identical to the earlier build's with ${counts[*]} thread(s) ($generations generations)"
exit "$status"
