#!/usr/bin/env bash
# Builds Morvane2 and starts it: ./run.sh [FOLDER] opens the window on FOLDER
# (see scripts/start-window.sh), or runs the batch program there without a display.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
build_folder build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ -x build/morvane2 ]; then
  exec scripts/start-window.sh "$@"
fi
echo "Built build/morvane2 and build/morvane2-batch." >&2
