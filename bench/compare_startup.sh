#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up, whole process: tavo-cli opening nothing against `true`, and the
# window program from launch to its first painted image of a 6000 x 4000
# 48-bit TIFF given on the command line. The window reports that moment
# itself (TAVO_EXIT_AFTER_FIRST_PAINT=1: milliseconds since the process
# began, 10 ms grain, then it quits); the wall time around the whole run is
# shown beside it. The window runs on Qt's offscreen platform and, when
# there is a display (DISPLAY set) or Xvfb is installed, on X as well.
# Medians of RUNS runs (default 7); processor time is user + system.
#   bench/compare_startup.sh [BUILD_DIR [WORK_DIR [RUNS]]]
set -euo pipefail
build=$(realpath "${1:-build}")
work=${2:-/dev/shm/tavo_compare_startup}
runs=${3:-7}
cli=$build/cli/tavo-cli
gui=$build/gui/tavo
mkdir -p "$work"
cd "$work"
rm -f tavo.tvp  # the settings file of the current folder would be read
export XDG_CONFIG_HOME=$work/config  # nor the user's own settings
if [ ! -f in.tif ]; then
  "$build/tools/make_starfield" in.ppm 6000 4000 11
  "$cli" run --yes --open in.ppm --save in.tif > /dev/null
  rm -f in.ppm
fi

median() { sort -g | sed -n "$(( (runs + 1) / 2 ))p"; }

# Runs "$@" RUNS times; prints the median wall and processor milliseconds.
wall_cpu() {
  local w=() c=() start end user sys
  for _ in $(seq "$runs"); do
    start=$EPOCHREALTIME
    /usr/bin/time -f "%U %S" -o usage.txt "$@" > /dev/null 2>&1
    end=$EPOCHREALTIME
    read -r user sys < usage.txt
    w+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", (e - s) * 1000 }')")
    c+=("$(awk -v u="$user" -v y="$sys" 'BEGIN { printf "%.0f", (u + y) * 1000 }')")
  done
  echo "$(printf '%s\n' "${w[@]}" | median) $(printf '%s\n' "${c[@]}" | median)"
}

# first_paint LABEL [ENV...]: the window's own figure and the wall time.
first_paint() {
  local label=$1 p=() w=() start end out
  shift
  for _ in $(seq "$runs"); do
    start=$EPOCHREALTIME
    out=$(env "$@" TAVO_EXIT_AFTER_FIRST_PAINT=1 timeout 60 "$gui" in.tif 2> gui_err.txt || true)
    end=$EPOCHREALTIME
    case $out in
      "first paint "*) ;;
      *) echo "$label: no first paint ($(head -c 200 gui_err.txt))" >&2; return ;;
    esac
    p+=("$(echo "$out" | awk '{ print $3 }')")
    w+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.0f", (e - s) * 1000 }')")
  done
  printf "%-28s %8s ms %12s ms\n" "$label" "$(printf '%s\n' "${p[@]}" | median)" "$(printf '%s\n' "${w[@]}" | median)"
}

echo "median of $runs runs"
printf "%-28s %11s %15s\n" "program" "wall" "processor"
read -r w c <<< "$(wall_cpu "$cli" run)"
printf "%-28s %8s ms %12s ms\n" "tavo-cli run (opens nothing)" "$w" "$c"
read -r w c <<< "$(wall_cpu true)"
printf "%-28s %8s ms %12s ms\n" "true" "$w" "$c"

echo
printf "%-28s %11s %15s\n" "window, 6000 x 4000 TIFF" "first paint" "wall to exit"
first_paint "offscreen" QT_QPA_PLATFORM=offscreen
xvfb_pid=
display=${DISPLAY:-}
if [ -z "$display" ] && command -v Xvfb > /dev/null; then
  display=:87
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill "$xvfb_pid" 2> /dev/null || true' EXIT
  sleep 1
fi
if [ -n "$display" ]; then
  first_paint "X ($display${xvfb_pid:+, Xvfb})" QT_QPA_PLATFORM=xcb DISPLAY="$display"
fi
