#!/usr/bin/env bash
# Every script of scripts/ given a wrong argument prints its usage line on
# standard error and fails, before doing any work (start-window.sh passes its
# arguments to the window and is left out).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for script in "$root"/scripts/*.sh "$root"/scripts/*.py; do
  name=$(basename "$script")
  [ "$name" = start-window.sh ] && continue
  # bench_deap.py needs the deap package before it reads its arguments.
  if [ "$name" = bench_deap.py ] && ! python3 -c 'import deap' 2>/dev/null; then continue; fi
  case $name in
    *.py) run=(python3 "$script" --no-such-option) ;;
    *) run=(bash "$script" --no-such-option) ;;
  esac
  err=$(cd "$work" && timeout 20 "${run[@]}" 2>&1 >/dev/null)
  code=$?
  if [ "$code" -eq 0 ] || ! grep -qi "^usage: " <<<"$err"; then
    echo "$name: status $code, standard error: $err" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "every script: a usage line for a wrong argument"
exit "$status"
