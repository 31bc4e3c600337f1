#!/usr/bin/env bash
# A batch killed with SIGKILL (and once stopped with SIGTERM) at random
# moments and resumed from its checkpoint until it completes ends with every
# log file byte for byte as an uninterrupted batch writes it (timer.txt
# excepted, and the seconds columns of the CSV tables), for every example,
# on one thread and on two, with run_seeding 0 and 1.
#
# Usage: checkpoint-test.sh BATCH [KILLS [EXAMPLE...]]
set -u
batch=$(realpath "$1")
kills=${2:-3}
shift $(($# < 2 ? $# : 2))
examples=("$@")
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/morvane2-checkpoint.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

# Sets an int parameter, adding it when the file lacks it.
set_parameter() {  # file key value
  if grep -q "^$2[[:space:]]" "$1"; then
    sed -i "s/^$2[[:space:]].*/$2\t$3/" "$1"
  else
    sed -i "s/^----- int_parameter$/----- int_parameter\n$2\t$3/" "$1"
  fi
}

# A fresh working folder for one example: few generations, a small
# population, two runs (each from a seed of its own with run_seeding 1).
prepare() {  # example folder threads every seeding
  mkdir -p "$2"
  cp -r "$here/examples/$1/input" "$2/input"
  local p="$2/input/parameter.txt"
  set_parameter "$p" max_generation 7
  set_parameter "$p" population_size 60
  set_parameter "$p" iteration_num 2
  set_parameter "$p" threads "$3"
  set_parameter "$p" checkpoint_every "$4"
  set_parameter "$p" run_seeding "$5"
  : >"$2/.count"
}

# A CSV table without the columns named (by its header line). The columns
# before them are numbers, so a comma there always ends a field.
without_columns() {  # file names...
  local file=$1
  shift
  awk -v drop="$*" 'NR == 1 { n = split($0, names, ","); split(drop, d, " ")
      for (i = 1; i <= n; i++) for (k in d) if (names[i] == d[k]) gone[i] = 1 }
    { line = $0; out = ""; i = 0; kept = 0
      while (line != "") {
        i++; p = index(line, ",")
        if (p == 0 || i == n) { field = line; line = "" } else { field = substr(line, 1, p - 1); line = substr(line, p + 1) }
        if (!(i in gone)) out = out (kept++ ? "," : "") field
      }
      print out }' "$file"
}

# The log files, as compared: the timer left out, and the seconds of the
# CSV tables.
logs_of() {  # folder threads
  local f drop=seconds
  for f in $(cd "$1" && ls | sort); do
    case "$f" in
      input | checkpoint.txt* | timer.txt | .*) continue ;;
    esac
    echo "== $f"
    case "$f" in
      *.csv) without_columns "$1/$f" $drop ;;
      *) cat "$1/$f" ;;
    esac
  done
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Starts the batch in folder (resuming when there is a checkpoint) and
# sends it signal after ms milliseconds, or once it writes a checkpoint when
# ms is "write". Prints "killed", "interrupted" (SIGTERM caught: the batch
# ended by itself, with status 143) or "done STATUS" (it ended before the
# signal).
run_and_kill() {  # folder ms signal
  local args=() status
  [ -e "$1/checkpoint.txt" ] && args=(--resume) && echo resumed >>"$1/.count"
  (cd "$1" && exec "$batch" "${args[@]}" >>.stdout 2>>.stderr) &
  local pid=$!
  if [ "$2" = write ]; then
    local spins=0
    while [ ! -e "$1/checkpoint.txt.tmp" ] && kill -0 "$pid" 2>/dev/null && [ $spins -lt 200000 ]; do
      spins=$((spins + 1))
    done
  else
    sleep "$(printf '0.%03d' "$2")"
  fi
  kill -"$3" "$pid" 2>/dev/null
  wait "$pid"
  status=$?
  if [ "$3" = KILL ] && [ $status -eq 137 ]; then
    echo killed >>"$1/.count"
    echo killed
  elif [ "$3" = TERM ] && [ $status -eq 143 ]; then
    echo killed >>"$1/.count"
    echo interrupted
  else
    echo "done $status"
  fi
}

# After an interruption the checkpoint is of the generation the batch says
# it was interrupted after.
check_interrupted() {  # folder
  local line run generation
  line=$(tail -n 1 "$1/.stderr")
  case "$line" in
    "Interrupted after run "*) ;;
    *) return 0 ;;  # stopped before a generation finished, or before the handler
  esac
  run=$(echo "$line" | sed 's/^Interrupted after run \([0-9]*\), generation \([0-9]*\)$/\1/')
  generation=$(echo "$line" | sed 's/^Interrupted after run \([0-9]*\), generation \([0-9]*\)$/\2/')
  if ! grep -q "^position $run $generation " "$1/checkpoint.txt"; then
    echo "checkpoint after '$line' is at $(grep '^position' "$1/checkpoint.txt")"
    return 1
  fi
}

case_number=0
total_resumed=0
[ ${#examples[@]} -eq 0 ] && examples=($(ls "$here/examples"))
for example in "${examples[@]}"; do
  for threads in 1 2; do
    case_number=$((case_number + 1))
    every=$((case_number % 2 + 1))
    seeding=$((case_number / 2 % 2))
    name="$example threads $threads checkpoint_every $every run_seeding $seeding"
    ref="$work/$example-$threads-ref"
    cut="$work/$example-$threads-cut"
    prepare "$example" "$ref" "$threads" "$every" "$seeding"
    prepare "$example" "$cut" "$threads" "$every" "$seeding"
    start=$(now_ms)
    (cd "$ref" && "$batch" >.stdout 2>.stderr)
    status=$?
    span=$(($(now_ms) - start))
    if [ $status -ne 0 ]; then
      echo "FAIL $name: the uninterrupted batch ended with $status"
      failures=$((failures + 1))
      continue
    fi
    # Kills at random moments within the batch's span, the first by SIGTERM
    # (which the batch catches, checkpointing as it stops) and one as a
    # checkpoint is being written; then resumes until the batch
    # completes.
    outcome=""
    wrong=""
    for k in $(seq 1 "$kills"); do
      signal=KILL
      when=$((RANDOM % (span * 2 / 3 + 1)))
      [ "$when" -gt 999 ] && when=999
      [ "$k" -eq 2 ] && when=write
      # SIGTERM first: the batch checkpoints as it stops, so that a stop
      # that lands is always resumed from, even where the batch ends within
      # milliseconds of its first checkpoint of its own.
      [ "$k" -eq 1 ] && signal=TERM
      outcome=$(run_and_kill "$cut" "$when" "$signal")
      if [ "$outcome" = interrupted ]; then
        wrong=$(check_interrupted "$cut") || break
      fi
      case "$outcome" in done*) break ;; esac
    done
    if [ -n "$wrong" ]; then
      echo "FAIL $name: $wrong"
      failures=$((failures + 1))
      continue
    fi
    if [ "${outcome%% *}" != done ]; then
      args=()
      [ -e "$cut/checkpoint.txt" ] && args=(--resume) && echo resumed >>"$cut/.count"
      (cd "$cut" && "$batch" "${args[@]}" >>.stdout 2>>.stderr)
      outcome="done $?"
    fi
    if [ "$outcome" != "done 0" ]; then
      echo "FAIL $name: the resumed batch ended with '$outcome'"
      tail -3 "$cut/.stderr"
      failures=$((failures + 1))
      continue
    fi
    if ! diff <(logs_of "$ref" "$threads") <(logs_of "$cut" "$threads") >"$work/diff.txt"; then
      echo "FAIL $name: logs differ"
      head -20 "$work/diff.txt"
      failures=$((failures + 1))
      continue
    fi
    resumed=$(grep -c resumed "$cut/.count")
    total_resumed=$((total_resumed + resumed))
    echo "ok $name: stopped $(grep -c killed "$cut/.count"), resumed $resumed"
  done
done

# Kills that all came too early or too late would test nothing. (A fast
# example's batch may end within milliseconds of starting, before any kill
# lands: half as many resumptions as cases are asked for.)
if [ $((total_resumed * 2)) -lt "$case_number" ]; then
  echo "only $total_resumed resumptions in $case_number cases"
  failures=$((failures + 1))
fi
if [ $failures -ne 0 ]; then
  echo "$failures case(s) failed"
  exit 1
fi
echo "all cases identical"
