#!/usr/bin/env bash
# Makes the folders of a parameter study: one copy of BASE_FOLDER per
# combination of the values given, with its parameter file edited, then prints
# the command that runs them all over MPI and the one that plots them.
#
# Usage: scripts/sweep.sh [--out DIR] BASE_FOLDER KEY=V1,V2,... [KEY=V1,...]...
#
# BASE_FOLDER holds input/files.txt (an example folder, say). The study goes
# into DIR (default: study-<base name> in the working directory), one folder
# per combination, named after its values: population_size-500_crossover_ratio-0.8.
# A study folder made by an earlier sweep is replaced; any other existing
# folder is left alone and the sweep refuses.
set -euo pipefail

usage() {
  echo "Usage: scripts/sweep.sh [--out DIR] BASE_FOLDER KEY=V1,V2,... [KEY=V1,...]..." >&2
  exit 2
}

out=""
if [ "${1:-}" = "--out" ]; then
  [ $# -ge 2 ] || usage
  out=$2
  shift 2
fi
[ $# -ge 2 ] || usage
base=${1%/}
shift
[ -f "$base/input/files.txt" ] || { echo "sweep: $base/input/files.txt not found" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
[ -n "$out" ] || out="study-$(basename "$(cd "$base" && pwd)")"

# The parameter file, as the file list names it (relative to the folder).
parameter=$(awk '$1 == "parameter" { print $2; exit }' "$base/input/files.txt")
[ -n "$parameter" ] && [ -f "$base/$parameter" ] || { echo "sweep: $base names no parameter file" >&2; exit 2; }

keys=()
values=()
for setting in "$@"; do
  [[ "$setting" =~ ^([a-z_]+)=([^=]+)$ ]] || { echo "sweep: expected KEY=V1,V2,..., not $setting" >&2; exit 2; }
  key=${BASH_REMATCH[1]}
  list=${BASH_REMATCH[2]}
  for value in ${list//,/ }; do
    case "$key" in
      crossover_ratio | mutation_ratio)
        [[ "$value" =~ ^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$ ]] || { echo "sweep: $key needs real numbers, not $value" >&2; exit 2; } ;;
      *)
        [[ "$value" =~ ^[-+]?[0-9]+$ ]] || { echo "sweep: $key needs integers, not $value" >&2; exit 2; } ;;
    esac
  done
  keys+=("$key")
  values+=("${list//,/ }")
done

if [ -e "$out" ]; then
  [ -f "$out/.morvane2-sweep" ] || { echo "sweep: $out exists and was not made by a sweep; give another --out" >&2; exit 2; }
  rm -rf "$out"
fi
mkdir -p "$out"
touch "$out/.morvane2-sweep"

# Sets KEY to VALUE in parameter file FILE: in place when the key is there,
# otherwise added at the end of its section.
set_parameter() {
  local file=$1 key=$2 value=$3 section=int_parameter
  case "$key" in crossover_ratio | mutation_ratio) section=double_parameter ;; esac
  awk -v key="$key" -v value="$value" -v section="$section" '
    function add() { if (!done) { print key "\t" value; done = 1 } }
    /^-----/ {
      if (inside) add()
      inside = ($0 ~ section)
      print
      next
    }
    $1 == key && !done { print key "\t" value; done = 1; next }
    { print }
    END { if (inside) add(); if (!done) exit 1 }' "$file" >"$file.new" || {
    echo "sweep: $file has no $section section for $key" >&2
    exit 2
  }
  mv "$file.new" "$file"
}

folders=()
# Every combination, the first key varying slowest.
combine() {
  local index=$1 name=$2
  shift 2
  if [ "$index" -eq ${#keys[@]} ]; then
    local dir="$out/${name#_}"
    mkdir -p "$dir"
    cp -r "$base/input" "$dir/"
    local i=0
    for pair in "$@"; do
      set_parameter "$dir/$parameter" "${keys[$i]}" "$pair"
      i=$((i + 1))
    done
    folders+=("$dir")
    return
  fi
  local value
  for value in ${values[$index]}; do
    combine $((index + 1)) "${name}_${keys[$index]}-${value}" "$@" "$value"
  done
}
combine 0 ""

echo "Made ${#folders[@]} folders in $out. Run the study, then plot it:"
echo "  mpirun -np $(nproc) $root/build/morvane2-batch-mpi ${folders[*]}"
echo "  $root/build/morvane2-plot --compare $(printf '%s/generations.csv ' "${folders[@]}")-o $out/study.png"
