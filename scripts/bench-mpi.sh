#!/usr/bin/env bash
# Times morvane2-batch-mpi on a study of one folder, santafe with 6 runs seeded
# one by one, on 1 process and on 2: the median wall time of a few repeats of
# each, and their ratio (the speed-up of the second process).
#
# Usage: scripts/bench-mpi.sh [BUILD_DIR] [REPEATS] [MAX_GENERATION]
#   BUILD_DIR       holds morvane2-batch-mpi (default: build)
#   REPEATS         runs of each process count (default: 5)
#   MAX_GENERATION  the runs' generations (default: the example's)
set -euo pipefail
usage="Usage: scripts/bench-mpi.sh [BUILD_DIR] [REPEATS] [MAX_GENERATION]"
if [ $# -gt 3 ] || [[ "${1:-}" == -* ]] || ! [[ "${2:-5}" =~ ^[1-9][0-9]*$ ]] || ! [[ "${3:-1}" =~ ^[0-9]+$ ]]; then
  echo "$usage" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
repeats=${2:-5}
generations=${3:-}
program="$build/morvane2-batch-mpi"
[ -x "$program" ] || { echo "bench-mpi: $program not found (is MPI installed?)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp -r "$root/examples/santafe" "$work/santafe"
p="$work/santafe/input/parameter.txt"
sed -i "s/^iteration_num[[:space:]].*/iteration_num\t6/" "$p"
[ -z "$generations" ] || sed -i "s/^max_generation[[:space:]].*/max_generation\t$generations/" "$p"
sed -i "0,/^-----.*int_parameter/s//&\nrun_seeding\t1/" "$p"

# OpenMPI asks for these to run as root; here, not in anyone's shell.
export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

time_study() {
  local np=$1
  local start end
  start=$(date +%s.%N)
  # One machine: shared memory alone (ob1 over vader), without the start-up of
  # the network transports, which would take a tenth of this short study.
  (cd "$work" && mpirun --oversubscribe --mca pml ob1 --mca btl self,vader \
    --mca btl_vader_single_copy_mechanism none -np "$np" "$program" santafe \
    >/dev/null 2>"$work/err") || { cat "$work/err" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

# The two process counts take turns, so that both meet the same load of a
# shared machine.
times1=()
times2=()
for ((i = 0; i < repeats; i++)); do
  times1+=("$(time_study 1)")
  times2+=("$(time_study 2)")
done
declare -A medians
medians[1]=$(printf '%s\n' "${times1[@]}" | median)
medians[2]=$(printf '%s\n' "${times2[@]}" | median)
echo "-np 1: ${times1[*]} s (median ${medians[1]} s)"
echo "-np 2: ${times2[*]} s (median ${medians[2]} s)"
awk -v a="${medians[1]}" -v b="${medians[2]}" 'BEGIN { printf "speed-up of -np 2 over -np 1: %.2fx\n", a / b }'
