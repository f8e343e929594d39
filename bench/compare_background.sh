#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Whole process, file in to file out, on a 6000 x 4000 16-bit TIFF: tavo-cli
# batch with background generation and subtractive correction (step 5)
# against Siril's polynomial background extraction (subsky) on the same
# file, median of three runs each, wall and processor time in seconds.
#   bench/compare_background.sh path/to/tavo-cli [work folder]
set -euo pipefail

cli=$(realpath "$1")
work=${2:-$(mktemp -d)}
mkdir -p "$work/out"
cd "$work"
runs=3

if [ ! -f in.tif ]; then
  # A sky gradient with noise.
  /usr/bin/convert -size 6000x4000 gradient:navy-orange -seed 7 -attenuate 0.3 +noise Gaussian \
    -type TrueColor -depth 16 -compress none in.tif
fi

# Step 1 opens, step 2 generates the background (detection 32, averaging
# 16, subtractive, shift 30, one pass, zero excluded), step 8 saves a TIFF.
{
  for step in 1 2 3 4 5 6 7 8; do
    c=0 words=()
    case $step in
      1) c=1 ;;
      2) c=5; words=(32 16 2 30 0 1) ;;
      8) c=3; words=(3) ;;
    esac
    echo "$c"
    for i in $(seq 0 31); do echo "${words[$i]:-0}"; done
    if [ "$step" = 8 ]; then echo '".TIF"'; echo "\"$work/out\""; else echo '""'; echo '""'; fi
  done
} > background.tvb

# Siril 1.0 reports its script as failed right after subsky, whatever
# follows, so nothing is saved: its time leaves out the writing (in its
# favour), and its exit status is not looked at.
cat > subsky.ssf <<'SSF'
requires 1.0.0
load in.tif
subsky 2
SSF

median() {
  local walls=() cpus=()
  for _ in $(seq $runs); do
    if ! /usr/bin/time -f "%e %U %S" -o time.txt "$@" > /dev/null 2> err.txt && [ "$1" != siril-cli ]; then
      echo "failed: $* ($(head -c 200 err.txt))" >&2
      echo "nan nan"
      return
    fi
    read -r wall user sys < <(tail -n 1 time.txt)  # after any "Command exited" line
    walls+=("$wall")
    cpus+=("$(echo "$user + $sys" | bc)")
  done
  local mid=$(( (runs + 1) / 2 ))
  echo "$(printf '%s\n' "${walls[@]}" | sort -n | sed -n "${mid}p") $(printf '%s\n' "${cpus[@]}" | sort -n | sed -n "${mid}p")"
}

printf '%-40s %8s %8s\n' "case" "wall s" "cpu s"
row() { printf '%-40s %8.2f %8.2f\n' "$1" $2; }
row "tavo background generation, subtract" "$(median "$cli" batch --yes "$work/background.tvb" "$work/in.tif")"
row "siril subsky 2" "$(median siril-cli -d "$work" -s "$work/subsky.ssf")"
