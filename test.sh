#!/usr/bin/env bash
# Builds Morvane2 and runs every test: the normal build, then the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
jobs=$(nproc)

build_folder build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== tests =="
ctest --test-dir build --output-on-failure --progress -j "$jobs"

build_folder build-asan -DCMAKE_BUILD_TYPE=Debug -DMORVANE2_SANITIZE=ON -DMORVANE2_BENCH=OFF
echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --progress -j "$jobs"

if [ -x scripts/tests-extra.sh ]; then
  scripts/tests-extra.sh
fi
