#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the reader fuzz targets with clang and the sanitizers in a build
# folder of their own, then runs each one for SECONDS (default 30) from the
# committed seed corpus and the kept regression files. Any crash, leak,
# sanitizer report, timeout or out-of-memory ends with a non-zero status;
# the input that caused it is left in the build folder as crash-* / leak-*
# / timeout-* / oom-*.
#
# usage: tests/fuzz/run_fuzzers.sh [SECONDS]
#        TAVO_FUZZ_BUILD=dir and TAVO_FUZZ_JOBS=n override the build folder
#        (default build-fuzz) and the build parallelism (default 2).
set -eu
seconds=${1:-30}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${TAVO_FUZZ_BUILD:-$root/build-fuzz}
jobs=${TAVO_FUZZ_JOBS:-2}
formats="bmp tiff pnm fits jpeg fits_lib tiff_lib"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAVO_FUZZ=ON -DTAVO_BENCH=OFF >/dev/null
targets=""
for f in $formats; do targets="$targets ${f}_fuzz"; done
# shellcheck disable=SC2086
ninja -C "$build" -j "$jobs" $targets

status=0
for f in $formats; do
  # New inputs go to a scratch folder; the committed corpus stays as it is.
  scratch=$(mktemp -d)
  seeds="$root/tests/fuzz/corpus/$f"
  regressions="$root/tests/fuzz/regressions/$f"
  [ -d "$regressions" ] || regressions=""
  echo "== $f: $seconds s"
  # shellcheck disable=SC2086
  # A fixed seed by default, so that a run over the committed corpus takes
  # the same path each time and a failure can be replayed; TAVO_FUZZ_SEED=0
  # lets the fuzzer pick one for exploratory runs.
  if ! "$build/tests/fuzz/${f}_fuzz" -seed="${TAVO_FUZZ_SEED:-1}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/$f-" \
      "$scratch" "$seeds" $regressions; then
    echo "== $f: FAILED (see $build/$f-*)"
    status=1
  fi
  rm -rf "$scratch"
done
exit $status
