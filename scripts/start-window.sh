#!/usr/bin/env bash
# Starts the window in workspace/, a working folder outside version control
# made from the sample input/ folder on first use (so Update never edits
# tracked files). Without a display it runs the batch program on the
# box-moving example instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ ! -d workspace/input ]; then
  mkdir -p workspace
  cp -r input workspace/
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  cd workspace
  exec "$root/build/morvane2" "$@"
fi
echo "No display available: running the batch program on examples/boxmoving instead."
mkdir -p workspace/batch-boxmoving
cp -r examples/boxmoving/input workspace/batch-boxmoving/
cd workspace/batch-boxmoving
"$root/build/morvane2-batch"
echo "Logs are in $PWD (log.txt, save.txt, orbit.txt, ...)."
echo "Best program (fitness : program):"
tail -n 1 log.txt
