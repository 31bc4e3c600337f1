#!/usr/bin/env bash
# Runs each example briefly (RUNS runs, default 5, of at most 50 generations)
# with build/morvane2-batch and draws its generations.csv with
# build/morvane2-plot into docs/plots/EXAMPLE.png: best and mean fitness per
# generation, a thin line per run, the median in bold and the quartile band.
# Run after ./run.sh or ./test.sh has built build/.
#
# Usage: scripts/plots.sh [--runs N] [EXAMPLE...]   (default: every example)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() {
  echo "Usage: scripts/plots.sh [--runs N] [EXAMPLE...]   (EXAMPLE: a folder of examples/)" >&2
  exit 2
}
runs=5
if [ "${1:-}" = "--runs" ]; then
  [ $# -ge 2 ] && [[ "$2" =~ ^[1-9][0-9]*$ ]] || usage
  runs=$2
  shift 2
fi
examples=("$@")
if [ ${#examples[@]} -eq 0 ]; then
  for folder in "$root"/examples/*/; do examples+=("$(basename "$folder")"); done
fi
for name in "${examples[@]}"; do [ -d "$root/examples/$name/input" ] || usage; done
batch="$root/build/morvane2-batch"
plot="$root/build/morvane2-plot"
for program in "$batch" "$plot"; do
  [ -x "$program" ] || { echo "plots: $program not built (run ./run.sh or ./test.sh first)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$root/docs/plots"
for name in "${examples[@]}"; do
  mkdir -p "$work/$name"
  cp -r "$root/examples/$name/input" "$work/$name/"
  awk -v runs="$runs" '
    $1 == "iteration_num" { print "iteration_num\t" runs; next }
    $1 == "max_generation" && $2 > 50 { print "max_generation\t50"; next }
    { print }' "$root/examples/$name/input/parameter.txt" >"$work/$name/input/parameter.txt"
  (cd "$work/$name" && "$batch" >/dev/null)
  QT_QPA_PLATFORM=offscreen "$plot" "$work/$name/generations.csv" -o "$root/docs/plots/$name.png" \
    --title "$name: $runs runs" >/dev/null 2>&1
  echo "docs/plots/$name.png"
done
