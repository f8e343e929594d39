#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Whole process, file in to file out: tavo-cli against the plainest tools
# that do the same job - tiffcp for 48-bit TIFF, cp for 16-bit PPM and
# 24-bit BMP (no tool moves those bytes faster), and LibRaw's dcraw_emu
# for camera RAW files. Each job runs its commands interleaved, three
# rounds, and reports the medians of the wall times and of the processor
# times (user + system, all threads) in milliseconds, the ratios tavo /
# peer of both, and tavo's peak resident memory. Work files live on a RAM
# disk so that the disk does not set the pace. On a shared machine single
# figures wander; the ratios within one run are what to compare, and the
# processor times are the steadier of the two under load.
#   bench/compare_io.sh [BUILD_DIR [WORK_DIR [OTHER_TAVO_CLI]]]
# OTHER_TAVO_CLI (an earlier build, say) runs in the same rounds and gets
# its own columns, so before and after compare within one run. The "floor"
# rows run bench/io_floor in tavo's place: a program that only reads the
# file into its memory and writes it out again, the least any program
# holding the picture can do; its ratio to the peer bounds tavo's.
# Debian: apt-get install libtiff-tools libraw-bin. A missing peer is
# reported as "-".
set -euo pipefail
build=$(realpath "${1:-build}")
work=${2:-/dev/shm/tavo_compare_io}
cli=$build/cli/tavo-cli
tool=$cli  # what the "wall" columns run
other=${3:+$(realpath "$3")}
samples=$(realpath "$(dirname "$0")/../../shared/samples/raw" 2> /dev/null || true)
[ -d "${samples:-}" ] || samples=/work/shared/samples/raw
runs=3
mkdir -p "$work/out"
cd "$work"
rm -f tavo.tvp  # the settings file of the current folder would be read

if [ ! -f in.tif ]; then
  "$build/tools/make_starfield" in.ppm 6000 4000 11
  "$cli" run --yes --open in.ppm --save in.tif --save in.bmp > /dev/null
fi
for f in "$samples"/*; do
  case $f in *.md) continue ;; esac
  [ -f "$(basename "$f")" ] || cp "$f" .
done
[ -f synthetic24.dng ] || "$build/tools/make_dng" synthetic24.dng --pattern RGGB --size 6000 4000 \
  --fill noise 5 2000 1500 > /dev/null

# Runs "$@" once; prints the wall time and the processor time in
# milliseconds and the peak resident set in MiB, or "nan nan nan" when the
# command fails.
once() {
  local start end
  start=$EPOCHREALTIME
  if ! /usr/bin/time -f "%M %U %S" -o usage.txt "$@" > /dev/null 2> err.txt; then
    echo "failed: $* ($(head -c 200 err.txt))" >&2
    echo "nan nan nan"
    return
  fi
  end=$EPOCHREALTIME
  read -r kib user sys < <(tail -1 usage.txt)
  awk -v s="$start" -v e="$end" -v k="$kib" -v u="$user" -v y="$sys" \
    'BEGIN { printf "%.1f %.0f %.0f\n", (e - s) * 1000, (u + y) * 1000, k / 1024 }'
}

median() { sort -g | sed -n "$(( (runs + 1) / 2 ))p"; }

# compare LABEL PEER_LABEL -- TAVO_ARGUMENTS... -- PEER_COMMAND...
# A peer whose program is not installed shows "-".
compare() {
  local label=$1 peer_label=$2
  shift 3
  local args=()
  while [ "$1" != "--" ]; do args+=("$1"); shift; done
  shift
  local have_peer=1
  command -v "$1" > /dev/null || have_peer=0
  local t_w=() t_c=() o_w=() o_c=() p_w=() p_c=() rss=() w c m
  for _ in $(seq $runs); do
    read -r w c m <<< "$(once "$tool" "${args[@]}")"
    t_w+=("$w") t_c+=("$c") rss+=("$m")
    if [ -n "$other" ] && [ "$tool" = "$cli" ]; then
      read -r w c _ <<< "$(once "$other" "${args[@]}")"
      o_w+=("$w") o_c+=("$c")
    fi
    if [ $have_peer = 1 ]; then
      read -r w c _ <<< "$(once "$@")"
      p_w+=("$w") p_c+=("$c")
    fi
  done
  local tw tc pw=- pc=- ow oc
  tw=$(med "${t_w[@]}") tc=$(med "${t_c[@]}") m=$(med "${rss[@]}")
  [ $have_peer = 1 ] && pw=$(med "${p_w[@]}") pc=$(med "${p_c[@]}")
  printf '%-28s %7s %6s %4s  %-20s %7s %6s  %5s %5s' "$label" "$tw" "$tc" "$m" "$peer_label" "$pw" "$pc" \
    "$(ratio "$tw" "$pw")" "$(ratio "$tc" "$pc")"
  if [ -n "$other" ] && [ "$tool" = "$cli" ]; then
    ow=$(med "${o_w[@]}") oc=$(med "${o_c[@]}")
    printf '  %7s %6s  %5s %5s  %5s %5s' "$ow" "$oc" "$(ratio "$ow" "$pw")" "$(ratio "$oc" "$pc")" \
      "$(ratio "$tw" "$ow")" "$(ratio "$tc" "$oc")"
  fi
  printf '\n'
}

med() { printf '%s\n' "$@" | median; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'; }

# Columns: tavo wall and processor ms, peak MiB; the peer's wall and
# processor ms; ratios tavo / peer (wall, processor); with OTHER_TAVO_CLI
# its wall and processor ms, its ratios to the peer, and tavo / other.
printf '%-28s %7s %6s %4s  %-20s %7s %6s  %5s %5s' "job" "wall" "cpu" "MiB" "peer" "wall" "cpu" "w/p" "c/p"
[ -n "$other" ] && printf '  %7s %6s  %5s %5s  %5s %5s' "o wall" "o cpu" "w/p" "c/p" "w/o" "c/o"
printf '\n'
compare "start-up (no steps)" "true" -- run -- true
compare "TIFF 48-bit to TIFF 48-bit" "tiffcp" -- run --yes --open in.tif --save out/t.tif \
  -- tiffcp in.tif out/tiffcp.tif
compare "PPM 16-bit to PPM 16-bit" "cp" -- run --yes --open in.ppm --save out/p.ppm \
  -- cp in.ppm out/cp.ppm
compare "BMP 24-bit to BMP 24-bit" "cp" -- run --yes --open in.bmp --save out/b.bmp \
  -- cp in.bmp out/cp.bmp
if [ -x "$build/bench/io_floor" ]; then
  tool=$build/bench/io_floor
  compare "floor TIFF (no planes)" "tiffcp" -- in.tif out/floor.tif -- tiffcp in.tif out/tiffcp.tif
  compare "floor PPM (no planes)" "cp" -- in.ppm out/floor.ppm -- cp in.ppm out/cp.ppm
  compare "floor BMP (no planes)" "cp" -- in.bmp out/floor.bmp -- cp in.bmp out/cp.bmp
  compare "floor BMP (planes' memory)" "cp" -- in.bmp out/floor.bmp 2 -- cp in.bmp out/cp.bmp
  tool=$cli
fi
for f in *.CRW *.raw *.dng; do
  [ -f "$f" ] || continue
  compare "RAW fast ${f:0:19}" "dcraw_emu -q 0 -4 -T" -- run --yes --open "$f" --save "out/$f.tif" \
    -- dcraw_emu -q 0 -4 -T -Z "out/$f.dcraw.tiff" "$f"
done
for f in *.CRW *.raw *.dng; do
  [ -f "$f" ] || continue
  compare "RAW library ${f:0:16}" "dcraw_emu -q 0 -4 -T" -- run --yes --set dark "1 0 0 0" \
    --open "$f" --save "out/$f.lib.tif" -- dcraw_emu -q 0 -4 -T -Z "out/$f.dcraw.tiff" "$f"
done
