#!/usr/bin/env bash
# scripts/sweep.sh: one folder per combination with the parameter edited in its
# own section (added where missing), bad values refused, a foreign folder kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$root/scripts/sweep.sh" "$root/examples/parity3" population_size=50,100 mutation_ratio=0.1,0.2 threads=1 >out.txt
[ "$(ls study-parity3 | wc -l)" -eq 4 ] || fail "expected 4 folders: $(ls study-parity3)"
p=study-parity3/population_size-100_mutation_ratio-0.2_threads-1/input/parameter.txt
grep -qx $'population_size\t100' "$p" || fail "population_size not set"
grep -qx $'mutation_ratio\t0.2' "$p" || fail "mutation_ratio not set"
# threads goes into the integer section, before the real section starts.
awk '/double_parameter/ { real = 1 } $1 == "threads" && !real { ok = 1 } END { exit !ok }' "$p" || fail "threads not in the int section"
cmp <(grep -v -e population_size -e mutation_ratio -e threads "$p") \
    <(grep -v -e population_size -e mutation_ratio "$root/examples/parity3/input/parameter.txt") || fail "other lines changed"
grep -q "mpirun -np" out.txt || fail "no mpirun line"
"$root/scripts/sweep.sh" "$root/examples/parity3" seed=1,2 >/dev/null
[ "$(ls study-parity3 | wc -l)" -eq 2 ] || fail "a repeated sweep does not replace its own study"

mkdir mine
! "$root/scripts/sweep.sh" --out mine "$root/examples/parity3" seed=1 2>/dev/null || fail "wrote into a foreign folder"
! "$root/scripts/sweep.sh" "$root/examples/parity3" seed=x 2>/dev/null || fail "took a word for an integer"
! "$root/scripts/sweep.sh" "$root/examples/parity3" 2>/dev/null || fail "ran without a KEY=VALUES"
echo "sweep: ok"
