#!/bin/bash
# SPDX-License-Identifier: MIT
# Whole-process timing of wavelet sharpening, deblur and noise reduction on
# one 6000 x 4000 16-bit star field: tavo-cli batch (read, one step, write)
# against gmic and siril-cli on the same file, where they are installed
# (Debian: apt-get install gmic siril). One run each; prints wall seconds,
# processor seconds (user + system, all threads; steadier on a busy
# machine) and the ratios peer / tavo of both.
#   bench/compare_restore.sh [BUILD_DIR [WORK_DIR]]
set -euo pipefail
build=$(realpath "${1:-build}")
work=${2:-/tmp/tavo_compare_restore}
cli=$build/cli/tavo-cli
mkdir -p "$work/out"
cd "$work"
[ -f field.ppm ] || "$build/tools/make_starfield" field.ppm 6000 4000 11

# A batch file: open one file, step 2 with the given detail words, save
# as binary PPM (filter 4) into out/.
job() {
  python3 - "$1" "$2" "$3" "$work/out" <<'EOF'
import sys
name, code, words, folder = sys.argv[1], int(sys.argv[2]), [int(w) for w in sys.argv[3].split()], sys.argv[4]
steps = [(1, []), (code, words)] + [(0, [])] * 5 + [(3, [4])]
with open(name, "w") as f:
    for c, w in steps:
        f.write(f"{c}\n")
        for i in range(32):
            f.write(f"{w[i] if i < len(w) else 0}\n")
        f.write('".PPM"\n' if c == 3 else '""\n')
        f.write(f'"{folder}"\n' if c == 3 else '""\n')
EOF
}
job wavelet.tvb 8 "2 10 10 10 10 10 10"   # order 2, the reset gains (all 1.0)
job wavelet_strong.tvb 8 "2 10 15 20 30 50 90"
job deblur1.tvb 9 "10 20 1 1"             # spread 1.0, dullness 2.0, emphasis 1
job deblur5.tvb 9 "10 20 5 1"
job noise5.tvb 15 "5 10 3"                # area 5, threshold 10, strength 3

seconds() {  # runs the command, prints "wall cpu" in seconds
  local times
  times=$(/usr/bin/time -f "%e %U %S" "$@" 2>&1 > /dev/null | tail -1) || { echo "FAILED"; return; }
  echo "$times" | awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }'
}

siril() {  # name, commands after the load: seconds, or FAILED without a result
  command -v siril-cli > /dev/null || { echo "-"; return; }
  printf 'requires 0.99.4\nload field.ppm\n%s\nsavetif out/siril_%s\n' "$2" "$1" > "siril_$1.ssf"
  rm -f "out/siril_$1.tif"
  local t
  t=$(seconds siril-cli -d "$work" -s "siril_$1.ssf")
  if [ -f "out/siril_$1.tif" ]; then echo "$t"; else echo "FAILED"; fi
}

report() {  # label, tavo "wall cpu", peer label, peer "wall cpu"
  local tw tc pw pc
  read -r tw tc <<< "$2"
  if [ "$4" = "FAILED" ] || [ "$4" = "-" ]; then
    printf '%-26s tavo %6s s (cpu %6s)  %-40s %s\n' "$1" "$tw" "$tc" "$3" "$4"
    return
  fi
  read -r pw pc <<< "$4"
  printf '%-26s tavo %6s s (cpu %6s)  %-40s %6s s (cpu %6s)  ratio %s (cpu %s)\n' "$1" "$tw" "$tc" "$3" "$pw" "$pc" \
    "$(awk -v a="$pw" -v b="$tw" 'BEGIN { printf "%.1f", a / b }')" \
    "$(awk -v a="$pc" -v b="$tc" 'BEGIN { printf "%.1f", a / b }')"
}

peer() {  # runs a peer when its program is installed
  if command -v "$1" > /dev/null; then seconds "$@"; else echo "-"; fi
}

job job_none.tvb 0 ""
t_read=$(seconds "$cli" batch --yes job_none.tvb field.ppm)
echo "tavo-cli read + write only: $t_read (wall, cpu seconds)"

t=$(seconds "$cli" batch --yes wavelet.tvb field.ppm)
report "wavelet, reset gains" "$t" "siril wavelet 5 2 + wrecons" \
  "$(siril wavelet 'wavelet 5 2
wrecons 1 1 1 1 1')"
t=$(seconds "$cli" batch --yes wavelet_strong.tvb field.ppm)
report "wavelet, preset strong" "$t" "gmic -sharpen 50" \
  "$(peer gmic -v -1 field.ppm -sharpen 50 -o out/gmic_sharpen.tif,ushort)"
report "" "$t" "siril wavelet 6 2 + wrecons 9 5 3 2 1.5 1" \
  "$(siril wavelet_strong 'wavelet 6 2
wrecons 9 5 3 2 1.5 1')"

for n in 1 5; do
  t=$(seconds "$cli" batch --yes "deblur$n.tvb" field.ppm)
  report "deblur, $n iteration(s)" "$t" "siril rl 1 0 $n" \
    "$(siril "rl$n" "rl 1 0 $n")"
  report "" "$t" "gmic -deblur_richardsonlucy 1,$n" \
    "$(peer gmic -v -1 field.ppm -deblur_richardsonlucy 1,$n -o "out/gmic_rl$n.tif,ushort")"
done

t=$(seconds "$cli" batch --yes noise5.tvb field.ppm)
report "noise reduction, area 5" "$t" "gmic -denoise 3,10,3,5" \
  "$(peer gmic -v -1 field.ppm -denoise 3,10,3,5 -o out/gmic_denoise.tif,ushort)"
report "" "$t" "siril fmedian 5 1" \
  "$(siril fmedian 'fmedian 5 1')"
