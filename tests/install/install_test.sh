#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the build into a fresh prefix and runs the programs from there:
# every installed file is in place, the help page is found beside the
# installed binary (not in the source tree), printing finds tavo-cli's PDF
# module, the start-up settings come
# from ./tavo.tvp or else the user's configuration folder, and the window
# program starts and keeps running until it is stopped.
# usage: install_test.sh BUILD_DIR WORK_DIR GUI(0|1)
set -u
build=$1 work=$2 gui=$3
fail() { echo "install test: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work/run" "$work/config/tavo" || fail "cannot make $work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1 || fail "cmake --install failed"
for f in bin/tavo-cli share/tavo/help/tavo_help.html share/tavo/help/tavo.htm share/applications/tavo.desktop \
         share/icons/hicolor/scalable/apps/tavo.svg share/man/man1/tavo-cli.1; do
  [ -f "$prefix/$f" ] || fail "$f not installed"
done
for mime in image/fits image/tiff image/jpeg image/x-adobe-dng; do
  grep -q "^MimeType=.*$mime;" "$prefix/share/applications/tavo.desktop" || fail "desktop entry lacks $mime"
done
cli=$prefix/bin/tavo-cli
cd "$work/run" || fail "no run folder"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config"

# Command 501 shows the help page; the command-line front end prints its path.
help=$("$cli" run --command 501) || fail "help command failed"
[ "$help" = "$(realpath "$prefix/share/tavo/help/tavo_help.html")" ] || fail "help found at '$help'"

# Printing loads the PDF module from the installed library folder.
printf 'P6\n1 1\n255\n\377\0\0' > in.ppm
"$cli" run --open in.ppm --command 111 --print-to out.pdf > print.log 2>&1 || fail "printing failed: $(cat print.log)"
[ "$(head -c 4 out.pdf)" = "%PDF" ] || fail "no PDF written"

# Settings: the configuration folder's file is read when there is no ./tavo.tvp; a ./tavo.tvp wins.
"$cli" run --set gamma "1 0 0 100 120 255 255" --save-settings "$XDG_CONFIG_HOME/tavo/tavo.tvp" || fail "cannot write settings"
"$cli" run --save-settings from_config.tvp || fail "cannot save settings"
cmp -s from_config.tvp "$XDG_CONFIG_HOME/tavo/tavo.tvp" || fail "configuration folder's settings not read"
"$cli" run --set gamma "1 0 0 60 200 255 255" --save-settings tavo.tvp || fail "cannot write local settings"
"$cli" run --save-settings from_here.tvp || fail "cannot save settings"
cmp -s from_here.tvp tavo.tvp || fail "./tavo.tvp did not win"

if [ "$gui" = 1 ]; then
  [ -x "$prefix/bin/tavo" ] || fail "tavo not installed"
  QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/tavo" > tavo.log 2>&1
  status=$?
  [ $status -eq 124 ] || fail "tavo ended by itself with status $status: $(cat tavo.log)"
fi
echo "install test: ok"
