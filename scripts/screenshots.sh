#!/usr/bin/env bash
# Screenshots of Tessam's windows for the README: starts Tessam.exe on a Wine
# desktop of its own under a private Xvfb, drives it with tessam_ui_driver.exe
# and saves PNGs under docs/.
#
#   scripts/screenshots.sh [BUILD_DIR]     (default: build/windows)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
docs=$root/docs
source "$here/wine-env.sh"
"$here/wine-prefix.sh"
# Chinese window titles pass through the command line as UTF-8.
export LC_ALL=C.UTF-8

desktop=tessam
width=800 height=600
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fifo=$work/display; mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 ${width}x${height}x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display_number <"$fifo"
export DISPLAY=":$display_number"
wineserver -p

# The program runs from a folder of its own, so its config.cfg lands there.
cp "$build/app/Tessam.exe" "$work/Tessam.exe"
driver() { "$tessam_wine" "$build/tests/ui/tessam_ui_driver.exe" "$desktop" "$@" | tr -d '\r'; }

main_title="HalvorU盘下载PLC工程"
about_title="关于我们"

# shot NAME TITLE: the window TITLE, cropped out of the screen.
shot() {
  local rect x y w h
  rect=$(driver wait "$2")
  read -r x y w h <<<"$rect"
  # Let the window finish painting: a redraw happens within a frame or two.
  sleep 1
  import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$docs/$1.png"
  echo "docs/$1.png (${w}x${h})"
}

mkdir -p "$docs"
(cd "$work" && "$tessam_wine" explorer "/desktop=$desktop,${width}x${height}" Tessam.exe >/dev/null 2>&1) &
app=$!

shot main-dialog "$main_title"
driver syscommand "$main_title" 0x10
shot about-box "$about_title"
driver command "$about_title" 1
driver wait-gone "$about_title"

driver click "$main_title" 1003
wait "$app" || true
