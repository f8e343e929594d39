#!/bin/sh
# SPDX-License-Identifier: MIT
# Whole-process level correction of a 6000 x 4000 48-bit TIFF: `tavo-cli
# batch` (open, level step, save) against ImageMagick's `convert -level`
# on the same file, best of three runs each (Debian's python3 with numpy
# makes the input). Usage:
#   bench/level_vs_convert.sh path/to/tavo-cli [work folder]
set -eu
cli=$(readlink -f "$1")
work=${2:-/tmp/tavo_level_bench}
mkdir -p "$work/out"
cd "$work"

if [ ! -f in.tif ]; then
  /usr/bin/python3 - <<'PY'
import numpy as np
rng = np.random.default_rng(7)
# A smooth ramp with noise, so that every level of the window is used.
y, x = np.mgrid[0:4000, 0:6000]
base = (x * 10 + y * 3) % 65536
planes = [(base + rng.integers(0, 4096, base.shape) + c * 9000) % 65536 for c in range(3)]
data = np.stack(planes, axis=-1).astype('>u2')
with open('in.ppm', 'wb') as f:
    f.write(b'P6\n6000 4000\n65535\n')
    f.write(data.tobytes())
PY
  convert in.ppm -depth 16 -compress none in.tif
  rm in.ppm
fi

# Batch file: open one file, level correction (all colours: input 25..230,
# gamma 1.50, output 0..255), save as TIFF (filter 3) into out/.
{
  for step in 1 2 3 4 5 6 7 8; do
    case $step in
      1) echo 1; words="" ;;
      2) echo 13; words="0 25 230 0 0 150 0 255 0 255 0 0 100 0 255 0 255 0 0 100 0 255 0 255 0 0 100 0 255" ;;
      8) echo 3; words="3" ;;
      *) echo 0; words="" ;;
    esac
    n=0
    for w in $words; do echo "$w"; n=$((n + 1)); done
    while [ $n -lt 32 ]; do echo 0; n=$((n + 1)); done
    if [ $step -eq 8 ]; then printf '".TIF"\n"%s"\n' "$work/out"; else printf '""\n""\n'; fi
  done
} > job.tvb

best() {
  best_time=
  for run in 1 2 3; do
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc)
    if [ -z "$best_time" ] || [ "$(echo "$t < $best_time" | bc)" -eq 1 ]; then best_time=$t; fi
  done
  echo "$best_time"
}

tavo=$(best "$cli" batch --yes job.tvb in.tif)
# 25 / 255 = 9.80 %, 230 / 255 = 90.20 %.
magick=$(best convert in.tif -level 9.80%,90.20%,1.5 -compress none out/magick.tif)
printf 'tavo-cli batch (level)   %.3f s\n' "$tavo"
printf 'convert -level           %.3f s\n' "$magick"
printf 'ratio tavo / convert     %.2f\n' "$(echo "$tavo / $magick" | bc -l)"
