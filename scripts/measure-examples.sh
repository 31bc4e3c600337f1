#!/usr/bin/env bash
# Seeded success figures of three examples with build/morvane2-batch:
# the 6-multiplexer (runs solved), the Santa Fe trail (runs eating all 89 food
# cells, mean best count) and 10-variable Rastrigin (runs ending below a tenth
# of their generation-0 best). Usage: scripts/measure-examples.sh [SEEDS]
set -euo pipefail
if [ $# -gt 1 ] || { [ $# -eq 1 ] && ! [[ "$1" =~ ^[1-9][0-9]*$ ]]; }; then
  echo "Usage: scripts/measure-examples.sh [SEEDS]  (a count, default 20)" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
seeds=${1:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {
  local example=$1 seed=$2 dir="$work/$1-$2"
  mkdir -p "$dir"
  cp -r "$root/examples/$example/input" "$dir/"
  sed -i "s/^seed\t.*/seed\t$seed/" "$dir/input/parameter.txt"
  (cd "$dir" && "$root/build/morvane2-batch" >/dev/null 2>&1)
  tail -n 1 "$dir/log.txt" | cut -d' ' -f1
}
first() { head -n 1 "$work/$1-$2/log.txt" | cut -d' ' -f3; }

solved=0
for s in $(seq 1 "$seeds"); do [ "$(run mux6 "$s")" = "0" ] && solved=$((solved + 1)); done
echo "6-multiplexer (population 500, 50 generations): solved in $solved of $seeds runs"

all=0; sum=0
for s in $(seq 1 "$seeds"); do
  eaten=$(( -$(run santafe "$s") ))
  sum=$((sum + eaten)); [ "$eaten" -eq 89 ] && all=$((all + 1))
done
echo "Santa Fe trail (population 500, 50 generations, energy 400): all 89 eaten in $all of $seeds runs," \
     "mean best $(awk "BEGIN {printf \"%.1f\", $sum / $seeds}") cells"

below=0
for s in $(seq 1 "$seeds"); do
  final=$(run rastrigin10 "$s")
  awk "BEGIN {exit !($final < $(first rastrigin10 "$s") / 10)}" && below=$((below + 1))
done
echo "Rastrigin, 10 variables (population 200, 200 generations): final best below a tenth of generation 0 in" \
     "$below of $seeds runs"
