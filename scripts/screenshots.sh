#!/usr/bin/env bash
# Starts the window under Xvfb on a copy of the box-moving example, runs a
# short evolution (10 generations) and saves PNG pictures of both pages into
# docs/, then one of the report of a run the engine ended (depths the node set
# cannot fill). Then the results page of one example per problem, each after
# a run of 10 generations, as docs/problem-NAME.png (the README's gallery).
# Run after ./run.sh or ./test.sh has built build/.
set -euo pipefail
if [ $# -gt 0 ]; then
  echo "Usage: scripts/screenshots.sh (no arguments; after build/ is built)" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r examples/boxmoving/input "$work/"
sed -i 's/^max_generation.*/max_generation\t10/' "$work/input/parameter.txt"
mkdir -p docs
cd "$work"
xvfb-run -a -s "-screen 0 1024x768x24" "$root/build/tests/shell/morvane2-screenshots" \
  "$root/docs/configuration-page.png" "$root/docs/results-page.png" "$root/docs/report.png"
echo "Saved docs/configuration-page.png, docs/results-page.png and docs/report.png"

for name in santafe hpant wallfollowing regression-f2 mux6 parity5 rastrigin10; do
  rm -rf "$work/$name"
  mkdir -p "$work/$name"
  cp -r "$root/examples/$name/input" "$work/$name/"
  sed -i 's/^max_generation.*/max_generation\t10/; s/^iteration_num.*/iteration_num\t1/' "$work/$name/input/parameter.txt"
  (cd "$work/$name" && xvfb-run -a -s "-screen 0 1024x768x24" "$root/build/tests/shell/morvane2-screenshots" \
    --results "$root/docs/problem-$name.png")
  echo "Saved docs/problem-$name.png"
done
