#!/usr/bin/env bash
# morvane2-batch-mpi against morvane2-batch: a study of three folders (runs
# seeded one by one) gives every log file byte for byte as the serial batch
# does in each folder (timer.txt aside), on 1, 2 and 3 processes; a folder in
# error among good ones is named, skipped, and ends the job with status 1; a
# batch of dependent runs goes whole; more processes than runs is no matter.
# Usage: mpi-study-test.sh MORVANE2-BATCH MORVANE2-BATCH-MPI MPIEXEC
set -euo pipefail
batch=$(realpath "$1")
mpi=$(realpath "$2")
mpiexec=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib/example-folders.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Containers may refuse the shared-memory single copy; the tests do without it.
run_mpi() {
  local np=$1
  shift
  "$mpiexec" --oversubscribe --mca btl_vader_single_copy_mechanism none -np "$np" "$mpi" "$@"
}

make_study() {
  local dir=$1
  mkdir -p "$dir"
  # An unknown key: its warning is shown once, not once per run.
  make_folder "$dir/parity3" parity3 iteration_num=5 max_generation=6 run_seeding=1 colour=3
  make_folder "$dir/santafe" santafe iteration_num=3 max_generation=6 run_seeding=1
  make_folder "$dir/regression-f2" regression-f2 iteration_num=3 max_generation=6 run_seeding=1
  # Runs that follow each other in one stream: one unit.
  make_folder "$dir/chained" santafe iteration_num=2 max_generation=4 seed=3
  # A log setting that is not there.
  mkdir -p "$dir/broken/input"
  printf 'log_setting input/missing.txt\n' >"$dir/broken/input/files.txt"
}

# Every file the serial batch wrote in the folder, the same in the other.
same_logs() {
  local expected=$1 actual=$2 what=$3
  local file
  for file in "$expected"/*.txt; do
    local name
    name=$(basename "$file")
    [ -f "$actual/$name" ] || fail "$what: $name is missing"
    [ "$name" = timer.txt ] && continue
    cmp -s "$file" "$actual/$name" || fail "$what: $name differs from the serial batch's"
  done
  # The CSV tables too, but for their wall-time column.
  for file in "$expected"/*.csv; do
    [ -f "$file" ] || continue
    name=$(basename "$file")
    [ -f "$actual/$name" ] || fail "$what: $name is missing"
    cmp -s <(csv_without_seconds "$file") <(csv_without_seconds "$actual/$name") ||
      fail "$what: $name differs from the serial batch's (seconds aside)"
  done
}

make_study "$work/serial"
for folder in parity3 santafe regression-f2 chained; do
  (cd "$work/serial/$folder" && "$batch" >/dev/null 2>&1) || fail "serial batch failed in $folder"
done
# The runs differ from each other, or the test would prove little.
[ "$(tr ',' '\n' <"$work/serial/regression-f2/online-mean.txt" | sort -u | wc -l)" -gt 1 ] || fail "flat statistics"

for np in 1 2 3; do
  make_study "$work/np$np"
  (cd "$work/np$np" && run_mpi "$np" parity3 santafe regression-f2 >/dev/null 2>"$work/np$np.err") ||
    fail "-np $np: exit status $?: $(cat "$work/np$np.err")"
  for folder in parity3 santafe regression-f2; do same_logs "$work/serial/$folder" "$work/np$np/$folder" "-np $np $folder"; done
  # A timer line between each two runs.
  [ "$(wc -l <"$work/np$np/parity3/timer.txt")" -eq 4 ] || fail "-np $np: parity3's timer.txt has no line per run"
done

make_study "$work/bad"
set +e
(cd "$work/bad" && run_mpi 2 parity3 broken chained nowhere santafe ./santafe >/dev/null 2>"$work/bad.err")
status=$?
set -e
[ $status -ne 0 ] || fail "a folder in error, yet exit status 0"
grep -qx "broken: Fatal error: Can not open file at Producer::Readfile" "$work/bad.err" ||
  fail "the broken folder's report is not named: $(cat "$work/bad.err")"
grep -qx "broken: Warning: Log setting input/missing.txt can not be opened: No such file or directory at Producer::Readfile" \
  "$work/bad.err" || fail "the broken folder's warning is not named"
grep -q "^nowhere: Fatal error: Can not open folder" "$work/bad.err" || fail "a missing folder is not named"
grep -q "^./santafe: Fatal error: The folder is named twice" "$work/bad.err" || fail "a folder named twice is not refused"
[ "$(grep -c "^parity3: Warning: .*unknown key colour" "$work/bad.err")" -eq 1 ] ||
  fail "parity3's warning is not shown once: $(cat "$work/bad.err")"
for folder in parity3 chained santafe; do same_logs "$work/serial/$folder" "$work/bad/$folder" "beside a bad folder: $folder"; done

# Five processes for three runs and a whole batch.
make_study "$work/many"
(cd "$work/many" && run_mpi 5 santafe chained >/dev/null 2>"$work/many.err") || fail "-np 5: $(cat "$work/many.err")"
for folder in santafe chained; do same_logs "$work/serial/$folder" "$work/many/$folder" "-np 5 $folder"; done
echo "mpi study: ok"
