#!/usr/bin/env bash
# Builds Morvane2 and runs every test: the normal build, then the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the tests of the
# threaded evaluation and every example on 1, 2 and 3 threads under
# ThreadSanitizer.
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

BUILD_TARGETS="test_engine test_run morvane2-batch" build_folder build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE2_TSAN=ON -DMORVANE2_GUI=OFF -DMORVANE2_BENCH=OFF
echo "== threaded evaluation under ThreadSanitizer =="
export TSAN_OPTIONS=halt_on_error=1
build-tsan/tests/test_engine --gtest_brief=1 --gtest_filter='ParallelEvaluator*:FitnessMemory*:ThreadCount*:*GenerationPipeline*'
build-tsan/tests/test_run --gtest_brief=1 --gtest_filter='EvolutionarySystem*'
scripts/check-threads.sh build-tsan/morvane2-batch 4 1 2 3
unset TSAN_OPTIONS

if [ -x scripts/tests-extra.sh ]; then
  scripts/tests-extra.sh
fi
