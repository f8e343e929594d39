#!/usr/bin/env bash
# Sets everything up, builds with warnings as errors, runs every test, then
# runs the tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then fuzzes every image file reader for 30 seconds each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
ctest --test-dir build -j"$jobs" --output-on-failure --timeout 600

echo "== sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVO_WERROR=ON -DTAVO_SANITIZE=ON \
  -DTAVO_BENCH=OFF > /dev/null
ninja -C build-asan -j"$jobs"
# cfitsio sizes buffers from header values and checks for null: an absurd
# request must come back null, as outside the sanitizer.
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -j"$jobs" --output-on-failure --timeout 900

echo "== fuzzing every file reader"
tests/fuzz/run_fuzzers.sh 30
echo "test-all: every test passed"
