#!/usr/bin/env bash
# Checks the tools of the whole-run comparisons: the fitness tool on programs
# whose fitness is known, the run counter's split of evaluated and recalled
# programs, and the lil-gp comparison script's answers when it has no lil-gp
# source to work on.
#
# Usage: tests/bench/bench-tools-test.sh BUILD-DIR
set -euo pipefail
build=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A copy of an example, one thread, at most $2 generations.
example() {
  rm -rf "${work:?}/$1"
  mkdir -p "$work/$1"
  cp -r "$root/examples/$1/input" "$work/$1/"
  sed -i -e "s/^max_generation\t.*/max_generation\t$2/" -e 's/^----- int_parameter$/&\nthreads\t1/' \
    "$work/$1/input/parameter.txt"
}

# fitness_is EXAMPLE PROGRAM FITNESS
fitness_is() {
  local got
  got=$(cd "$work/$1" && echo "$2" | "$build/morvane2-fitness-of")
  [ "$got" = "fitness $3" ] || fail "$1: $2 gave '$got', not 'fitness $3'"
}

xor() { echo "nor2(and2($1,$2),nor2($1,$2))"; }
odd=b0
for k in 1 2 3 4; do odd=$(xor "$odd" "b$k"); done

example parity5 0
fitness_is parity5 "not($odd)" 0
fitness_is parity5 "$odd" 32
fitness_is parity5 "and2(b0,b1)" 16
example mux11 0
fitness_is mux11 "if(b2,if(b1,if(b0,b10,b9),if(b0,b8,b7)),if(b1,if(b0,b6,b5),if(b0,b4,b3)))" 0
fitness_is mux11 "b3" 896
example regression-f2 0
# 1 wherever the divisor is 0 (x - x) or, through the rounding of the sample
# grid, within 1e-10 of it (x - 3 at the 31st point).
fitness_is regression-f2 "divide(x0,Subtract(x0,x0))" 74.01367135783002
fitness_is regression-f2 "divide(1.0,Subtract(x0,3.0))" 90.315533606892615

# count FIELD: the field of the run counter's line for the example copy.
count() {
  sed -n "s/.*\b$2=\([0-9.]*\).*/\1/p" <<<"$1"
}
example regression-f2 10
line=$(cd "$work/regression-f2" && "$build/morvane2-run-count")
# Elite and reproductions at least are known from the generation before.
[ "$(count "$line" recalled)" -ge 100 ] || fail "regression recalls too few programs: $line"
[ "$(count "$line" executed)" -lt "$(count "$line" nodes)" ] || fail "regression executes every program: $line"
example parity5 10
line=$(cd "$work/parity5" && "$build/morvane2-run-count")
[ "$(count "$line" recalled)" -eq 0 ] || fail "parity has no fitness memory: $line"
[ "$(count "$line" executed)" -eq "$(count "$line" nodes)" ] || fail "parity executes every program: $line"

# The memory per live node: two generations' nodes at the most, and some
# bytes for each.
example santafe 3
line=$(cd "$work/santafe" && "$build/morvane2-node-memory")
nodes=$(count "$line" peak_live_nodes)
[ "${nodes:-0}" -gt 500 ] || fail "node memory counts too few nodes: $line"
awk -v b="$(count "$line" bytes_per_live_node)" 'BEGIN { exit !(b > 0) }' || fail "node memory: $line"

# The lil-gp comparison's node sets: words an example lacks are added, a word
# the comparison does not use is refused.
tables() {
  PYTHONPATH="$root/scripts" python3 -B -c '
import sys, bench_lilgp
for name, _, example, _, _, terminals, functions, _ in bench_lilgp.PROBLEMS:
    if terminals is not None:
        bench_lilgp.set_node_table(sys.argv[1] + "/" + example, terminals, functions)
        print(open(sys.argv[1] + "/" + example + "/input/table.txt").read().replace("\n", "|"))
' "$work" 2>&1
}
example regression-f2 0
out=$(tables) || fail "node sets: $out"
[ "$out" = $'1\tb0 b1 b2 b3 b4 |1\tand2 or2 nand2 nor2 not |
1\tx0 1.0 2.0 0.5 3.0 |2\tPlus2 Subtract Times2 divide Sin Cos |
1\tb0 b1 b2 b3 b4 b5 b6 b7 b8 b9 b10 |1\tand2 or2 not if |' ] || fail "node sets: $out"
sed -i 's/ if / if iflte /' "$work/mux11/input/table.txt"
out=$(tables) && fail "a node set with iflte is taken: $out"
grep -q "does not use iflte" <<<"$out" || fail "iflte is not named: $out"

# The comparison script without lil-gp: how to get it (exit 0), or a usage line.
script="$root/scripts/bench-lilgp.sh"
out=$("$script" 2>&1) || fail "bench-lilgp.sh without arguments exits $?"
grep -q "git clone https://github.com/ggerules/lilgp1.03" <<<"$out" || fail "no clone line without arguments: $out"
grep -q "^Usage: " <<<"$out" || fail "no usage line without arguments: $out"
out=$("$script" "$work/parity5" 2>&1) || fail "bench-lilgp.sh on a folder without lil-gp exits $?"
grep -q "is not a lil-gp source folder" <<<"$out" || fail "a folder without lil-gp is not named: $out"
for bad in "--seeds" "$work --seeds 0" "$work --problems parity6" "$work --fast"; do
  status=0
  # shellcheck disable=SC2086
  out=$("$script" $bad 2>&1) || status=$?
  if [ "$status" -ne 2 ] || ! grep -q "^Usage: " <<<"$out"; then fail "bench-lilgp.sh $bad: exit $status, '$out'"; fi
done

[ "$failures" -eq 0 ] && echo "bench tools: all checks pass"
exit $((failures > 0))
