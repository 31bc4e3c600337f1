#!/usr/bin/env bash
# Whole-run comparison with lil-gp 1.03, a GP system in C that walks program
# trees: copies the lil-gp source given (its kernel and its ant app) to a
# scratch folder and builds there, with the C compiler at -O2, its ant app
# and our three apps on its app interface (bench/lilgp: even-5-parity and the
# 11-multiplexer from boolean/, regression from regression/); builds
# Morvane2's batch program, run counter and fitness tool (build/, optimised);
# checks that both systems give the same fitness to fixed programs; then runs
# both side by side, one core each, population 500, generations 0..50,
# tournament 7, depth limit 17, 3 seeds, and prints the median whole-run
# throughput in node executions per second of each and their ratio. A run's
# time is its process's CPU time (user + system), which the load of other
# processes on a shared machine changes least; see scripts/bench_lilgp.py.
#
# Usage: scripts/bench-lilgp.sh LILGP_SOURCE_DIR [--seeds N] [--problems parity5,regression,santafe,mux11]
#
# Morvane2 runs its examples parity5, regression-f2, santafe and mux11 with
# threads 1 and the seed changed; the comparison's node sets are AND OR NAND
# NOR NOT (parity), AND OR NOT IF (multiplexer) and + - * protected divide
# Sin Cos, x, 1.0, 2.0, 0.5, 3 (regression): words an example's node-set
# table lacks (not, 3.0) are added in the scratch copy. lil-gp runs with
# bench/lilgp/breeding.params. What is the same:
#  - population, generations, tournament size 7 (lil-gp's tournament);
#  - the split of each new generation: 1 elite (lil-gp: reproduction of the
#    best), 449 crossover offspring, 24 mutants, 26 reproductions, by fixed
#    shares (lil-gp's probabilistic_operators off);
#  - crossover and mutation points drawn uniformly from all nodes (lil-gp's
#    internal and external set to 0); a crossover offspring over the depth
#    limit is a copy of its parent in both;
#  - depth limit 17 and initial depth 6 counted from 1 at the root (lil-gp
#    counts from 0: max_depth 16, init.depth 5);
#  - fitness: errors over all 32 / 2048 cases, the sum of absolute errors at
#    x = 0, 0.1, ..., 10 with the same protected division (1 for a divisor
#    below 1e-10 in magnitude) and the same C library's sin and cos;
#  - early stopping: both stop after a generation that solves parity or the
#    multiplexer; neither stops on regression or the ant (lil-gp's ant app
#    stops once a program eats all the food; bench/lilgp/ant_no_early_stop.c
#    is linked in so that it goes on, as Morvane2 does).
# What differs:
#  - initial programs: lil-gp's default, ramped half-and-half over depths
#    2..6, is replaced by grow to depth 6 (lil-gp's 5), as Morvane2 makes
#    them; but Morvane2 draws the terminal or the function class by the
#    table's weights (regression 1:2, otherwise 1:1) and then a member,
#    lil-gp draws uniformly from all primitives, and lil-gp draws again a
#    program equal to one already in the initial population;
#  - mutation: Morvane2 grows the new subtree to the depth left below the
#    chosen node; lil-gp grows it to a depth drawn from 0..16 and draws again
#    until the result fits the limit;
#  - evaluation: Morvane2 evaluates Boolean programs 64 cases per machine word
#    and regression programs all points of a node at once; lil-gp calls every
#    node's C function once per case (the apps' IF evaluates all three
#    arguments, so lil-gp executes size x cases nodes, the count Morvane2's
#    run counter gives);
#  - fitness memory: lil-gp does not evaluate a copied individual again;
#    Morvane2 evaluates every program of parity and the multiplexer, and takes
#    the fitness of a program of the latest two generations from memory on
#    regression and the ant. Only programs evaluated count;
#  - the ant: lil-gp's own app is used (if-food-ahead, progn2, progn3, move,
#    left, right on a 32 x 32 torus, 400 time steps, each move and each turn
#    one step); Morvane2's example has no progn3, walls round the grid, and
#    400 energy spent by each move and by each run of the program from the
#    top, turns free. So the two evaluate different programs of different
#    lengths; throughput counts the nodes each executes.
# No fitness check for the ant, as its rules differ.
set -euo pipefail
usage() {
  echo "Usage: scripts/bench-lilgp.sh LILGP_SOURCE_DIR [--seeds N] [--problems parity5,regression,santafe,mux11]" >&2
}
how_to_get() {
  cat <<'EOF'
bench-lilgp needs the source of lil-gp 1.03 (a folder with its kernel and its
ant app). Its public repository is ggerules/lilgp1.03:
  git clone https://github.com/ggerules/lilgp1.03
  scripts/bench-lilgp.sh lilgp1.03
EOF
}
if [ $# -eq 0 ]; then
  usage
  how_to_get
  exit 0
fi
source_dir=$1
shift
if [ -z "$source_dir" ] || [ "${source_dir#-}" != "$source_dir" ]; then
  usage
  exit 2
fi
options=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --seeds) [[ $# -ge 2 && "$2" =~ ^[1-9][0-9]*$ ]] || { usage; exit 2; }; shift 2 ;;
    --problems) [[ $# -ge 2 && "$2" =~ ^(parity5|regression|santafe|mux11)(,(parity5|regression|santafe|mux11))*$ ]] ||
      { usage; exit 2; }; shift 2 ;;
    *) usage; exit 2 ;;
  esac
done

# The kernel and the ant app: the layout of the 1.03 repository (kernel_orig,
# app/orig_ant) or of the original distribution (kernel, app/ant).
first_with() {
  local dir file
  local files=$1
  shift
  for dir in "$@"; do
    for file in $files; do [ -f "$dir/$file" ] || continue 2; done
    echo "$dir"
    return 0
  done
  return 1
}
kernel=$(first_with "main.c gp.c eval.c tree.c lilgp.h types.h protoapp.h" \
  "$source_dir/kernel_orig" "$source_dir/kernel") || kernel=
ant=$(first_with "app.c app.h appdef.h function.c function.h santafe.trl" \
  "$source_dir/app/orig_ant" "$source_dir/app/ant") || ant=
if [ -z "$kernel" ] || [ -z "$ant" ]; then
  echo "$source_dir is not a lil-gp source folder (no kernel or no ant app found)."
  how_to_get
  exit 0
fi
kernel=$(cd "$kernel" && pwd)
ant=$(cd "$ant" && pwd)

cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" gcc make
scratch=$(mktemp -d /tmp/morvane2-lilgp-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

echo "Building lil-gp's kernel and four apps in $scratch" >&2
mkdir -p "$scratch/lilgp"
cp -r "$kernel" "$scratch/lilgp/kernel"
cp -r "$ant" "$scratch/lilgp/ant"
build_app() {
  local name=$1
  shift
  if ! make -s -j "$(nproc)" -f "$root/bench/lilgp/Makefile" KERNEL="$scratch/lilgp/kernel" \
    OUT="$scratch/build/$name" "$@" >"$scratch/build-$name.log" 2>&1; then
    cat "$scratch/build-$name.log"
    echo "Building lil-gp's $name app failed" >&2
    exit 1
  fi
}
build_app parity APP="$root/bench/lilgp/boolean"
build_app mux APP="$root/bench/lilgp/boolean" DEFINES=-DMULTIPLEXER
build_app regression APP="$root/bench/lilgp/regression"
build_app ant APP="$scratch/lilgp/ant" NO_EARLY_STOP=1

echo "Building Morvane2 (build/)" >&2
BUILD_TARGETS="morvane2-batch morvane2-run-count morvane2-fitness-of" \
  build_folder build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE2_BENCH=ON

/usr/bin/python3 scripts/bench_lilgp.py "$root" "$root/build" "$scratch/build" \
  "$scratch/lilgp/ant/santafe.trl" "${options[@]}"
