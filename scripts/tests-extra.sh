#!/usr/bin/env bash
# Extra checks run by test.sh after the two test builds: every fuzz target for
# a few seconds, starting from the seed corpus (which also holds the inputs of
# findings fixed earlier), so that a regression in an input reader shows.
# Quiet on success apart from one line per target.
set -euo pipefail
if [ $# -gt 0 ]; then
  echo "Usage: scripts/tests-extra.sh (no arguments; run by test.sh)" >&2
  exit 2
fi
cd "$(dirname "$0")/.."

echo "== fuzz targets, briefly =="
out=$(mktemp -d)
shopt -s nullglob
if scripts/fuzz.sh -t 4 -j "$(nproc)" -o "$out"; then
  rm -rf "$out"
  exit 0
fi
for log in "$out"/*/log; do
  target=$(basename "$(dirname "$log")")
  grep -q "no finding" "$out/$target/summary" 2>/dev/null && continue
  echo "---- $target ----"
  grep -v -e '^#' -e '^INFO:' "$log" | tail -40
done
echo "Fuzz findings are kept in $out" >&2
exit 1
