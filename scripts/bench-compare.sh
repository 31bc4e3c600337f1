#!/usr/bin/env bash
# Whole-run comparison with the peer DEAP: builds the batch program and the
# run counter (build/, optimised), installs DEAP (python3-deap) when it is
# missing, then runs both systems on five problems, several seeds each, and
# prints a table of median wall times, their ratios and node evaluations per
# second.
#
# Usage: scripts/bench-compare.sh [--seeds N] [--problems mux6,parity5,mux11,santafe,regression]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" python3-deap
build_folder build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE2_BENCH=ON
/usr/bin/python3 scripts/bench_compare.py "$(pwd)" "$(pwd)/build" "$@"
