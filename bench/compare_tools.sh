#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Whole process, file in to file out: tavo-cli batch on a 6000 x 4000 16-bit
# TIFF against vips and ImageMagick doing the same, median of three runs
# each, wall time in seconds. Every command runs in the same session, so
# the ratios compare like with like.
#   bench/compare_tools.sh path/to/tavo-cli [work folder]
set -euo pipefail

cli=$(realpath "$1")
work=${2:-$(mktemp -d)}
mkdir -p "$work/out"
cd "$work"
magick=/usr/bin/convert   # ImageMagick itself, not a wrapper earlier in PATH
runs=3

# Debian's ImageMagick policy caps the pixel cache at 1 GiB of disk, which a
# 12000 x 8000 result exceeds: the resize then fails. Give it room.
mkdir -p im
cat > im/policy.xml <<'POLICY'
<policymap>
  <policy domain="resource" name="memory" value="8GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="width" value="64KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="disk" value="16GiB"/>
</policymap>
POLICY
export MAGICK_CONFIGURE_PATH=$work/im

if [ ! -f in.tif ]; then
  # A sky-like gradient with noise: neither flat nor pure noise.
  "$magick" -size 6000x4000 gradient:navy-orange -seed 7 -attenuate 0.3 +noise Gaussian \
    -type TrueColor -depth 16 -compress none in.tif
fi

# A batch file: step 1 opens one file, step 8 saves a 48-bit TIFF (save
# filter 3) into out/; the step given in between has the detail words given.
job() {  # job NAME [CODE WORD...]
  local name=$1 code=${2:-0}
  shift $(( $# > 1 ? 2 : 1 ))
  {
    for step in 1 2 3 4 5 6 7 8; do
      local c=0 words=()
      case $step in
        1) c=1 ;;
        2) c=$code; words=("$@") ;;
        8) c=3; words=(3) ;;
      esac
      echo "$c"
      for i in $(seq 0 31); do echo "${words[$i]:-0}"; done
      if [ "$step" = 8 ]; then echo '".TIF"'; echo "\"$work/out\""; else echo '""'; echo '""'; fi
    done
  } > "$name.tvb"
}

job io
job half 4 4 6000 4000 1 6000 4000 50       # crop the whole image, 50 %: bilinear boxes
job double 4 4 6000 4000 1 6000 4000 200    # 200 %: Lanczos
job rotate 10 3 1250                        # 12.5 degrees
job sharp 6 1 1 1 3 2560 10 10              # radius 3
job edge 7 1 1 1 1 2560 10 10 50

# "wall cpu": medians over $runs runs of the wall time and of the processor
# time (user + system, all threads) of "$@". On a busy machine the
# processor time shows the work done; the wall time what a user waits.
median() {
  local walls=() cpus=()
  for _ in $(seq $runs); do
    if ! /usr/bin/time -f "%e %U %S" -o time.txt "$@" > /dev/null 2> err.txt; then
      echo "failed: $* ($(head -c 200 err.txt))" >&2
      echo "nan nan"
      return
    fi
    read -r wall user sys < time.txt
    walls+=("$wall")
    cpus+=("$(echo "$user + $sys" | bc)")
  done
  local mid=$(( (runs + 1) / 2 ))
  local wall cpu
  wall=$(printf '%s\n' "${walls[@]}" | sort -n | sed -n "${mid}p")
  cpu=$(printf '%s\n' "${cpus[@]}" | sort -n | sed -n "${mid}p")
  echo "$wall $cpu"
}

tavo() { median "$cli" batch --yes "$work/$1.tvb" "$work/in.tif"; }

printf '%-34s %8s %8s\n' "case" "wall s" "cpu s"
row() { printf '%-34s %8.2f %8.2f\n' "$1" $2; }
row "tavo io only"                  "$(tavo io)"
row "tavo resize 50% (bilinear)"    "$(tavo half)"
row "vips shrink 2 2"               "$(median vips shrink in.tif out/v_half.tif 2 2)"
row "tavo resize 200% (Lanczos)"    "$(tavo double)"
row "vips resize 2 lanczos3"        "$(median vips resize in.tif out/v_double.tif 2 --kernel lanczos3)"
row "magick -resize 200% Lanczos"   "$(median "$magick" in.tif -filter Lanczos -resize 200% out/m_double.tif)"
row "tavo rotate 12.5"              "$(tavo rotate)"
row "vips rotate 12.5"              "$(median vips rotate in.tif out/v_rotate.tif 12.5)"
row "magick +distort SRT 12.5"      "$(median "$magick" in.tif +distort SRT 12.5 out/m_rotate.tif)"
row "tavo sharp/smooth radius 3"    "$(tavo sharp)"
row "tavo edge enhancement"         "$(tavo edge)"
