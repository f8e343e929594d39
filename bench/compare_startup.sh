#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up, whole process: tavo-cli opening nothing against `true`, and the
# window program from launch to its first painted image of a 6000 x 4000
# 48-bit TIFF given on the command line. The window reports that moment
# itself (TAVO_EXIT_AFTER_FIRST_PAINT=1: milliseconds since the process
# began, 10 ms grain, then it quits); the wall time around the whole run is
# shown beside it. The window runs on Qt's offscreen platform and, when
# there is a display (DISPLAY set) or Xvfb is installed, on X as well.
# Medians of 3 x RUNS and RUNS runs (default 7); processor time is user +
# system.
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

# median [COUNT]: of COUNT (default RUNS) numbers on standard input.
median() { sort -g | sed -n "$(( (${1:-$runs} + 1) / 2 ))p"; }

# wall_cpu COUNT COMMAND...: runs COMMAND COUNT times; prints the median wall and processor milliseconds
# (bash's own timing: getrusage of the child, microsecond grain).
wall_cpu() {
  local count=$1 w=() c=() real user sys TIMEFORMAT='%3R %3U %3S'
  shift
  for _ in $(seq "$count"); do
    read -r real user sys < <({ time "$@" > /dev/null 2>&1; } 2>&1)
    w+=("$(awk -v r="$real" 'BEGIN { printf "%.1f", r * 1000 }')")
    c+=("$(awk -v u="$user" -v y="$sys" 'BEGIN { printf "%.1f", (u + y) * 1000 }')")
  done
  echo "$(printf '%s\n' "${w[@]}" | median "$count") $(printf '%s\n' "${c[@]}" | median "$count")"
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

echo "medians of $((runs * 3)) (start-up) and $runs (window) runs"
printf "%-28s %11s %15s\n" "program" "wall" "processor"
# Start-ups take milliseconds: three times the runs.
read -r w c <<< "$(wall_cpu $((runs * 3)) "$cli" run)"
printf "%-28s %8s ms %12s ms\n" "tavo-cli run (opens nothing)" "$w" "$c"
read -r w c <<< "$(wall_cpu $((runs * 3)) /bin/true)"
printf "%-28s %8s ms %12s ms\n" "/bin/true" "$w" "$c"

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
