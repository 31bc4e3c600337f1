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
# The arguments are checked before the (long) build.
usage() {
  echo "Usage: scripts/bench-compare.sh [--seeds N] [--problems mux6,parity5,mux11,santafe,regression]" >&2
  exit 2
}
check=("$@")
while [ ${#check[@]} -gt 0 ]; do
  case ${check[0]} in
    --seeds) [ ${#check[@]} -ge 2 ] && [[ "${check[1]}" =~ ^[1-9][0-9]*$ ]] || usage ;;
    --problems) [ ${#check[@]} -ge 2 ] || usage ;;
    *) usage ;;
  esac
  check=("${check[@]:2}")
done
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" python3-deap
build_folder build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE2_BENCH=ON
/usr/bin/python3 scripts/bench_compare.py "$(pwd)" "$(pwd)/build" "$@"
