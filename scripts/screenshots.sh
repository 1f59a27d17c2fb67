#!/usr/bin/env bash
# Screenshots of Tessam's windows for the README: starts Tessam.exe on a Wine
# desktop of its own under a private Xvfb, drives it with tessam_ui_driver.exe
# and saves PNGs under docs/: the main dialog, the About box, and the whole
# build flow (pick the project with "...", the folder box, the paths filled
# in, "生成成功！", the folder window with the new package).
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
mapped=()
cleanup() {
  "$tessam_wine" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  ((${#mapped[@]})) && rm -f "${mapped[@]}"
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fifo=$work/display; mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 ${width}x${height}x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display_number <"$fifo"
export DISPLAY=":$display_number"
wineserver -p >/dev/null 2>&1 </dev/null

# The program runs from a folder of its own, so its config.cfg lands there.
cp "$build/app/Tessam.exe" "$work/Tessam.exe"
driver() { "$tessam_wine" "$build/tools/ui-driver/tessam_ui_driver.exe" "$desktop" "$@" | tr -d '\r'; }

main_title="HalvorU盘下载PLC工程"
about_title="关于我们"

# shot NAME TITLE [owned-]: the window TITLE (or the box it owns), cropped
# out of the screen.
shot() {
  local rect x y w h
  rect=$(driver "${3:-}wait" "$2")
  read -r x y w h <<<"$rect"
  # Let the window finish painting: a redraw happens within a frame or two.
  sleep 1
  import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$docs/$1.png"
  echo "docs/$1.png (${w}x${h})"
}

# shot_screen NAME: the whole desktop.
shot_screen() {
  sleep 1
  import -display "$DISPLAY" -window root "$docs/$1.png"
  echo "docs/$1.png (whole desktop)"
}

# A small project (block count 2) on drive D: and an empty "USB stick" E:,
# both folders of our own mapped as drives for the run.
mkdir -p "$work/d/plc" "$work/e"
python3 - "$work/d/plc/line1.pmw" <<'PY'
import sys
blocks = 2
image = bytearray((i * 7 + 3) & 0xFF for i in range(256 + blocks * 2000 + 92))
image[256:258] = blocks.to_bytes(2, "little")
open(sys.argv[1], "wb").write(image)
PY
for drive in d e; do
  [[ -e "$WINEPREFIX/dosdevices/$drive:" ]] && { echo "drive $drive: is taken in $WINEPREFIX" >&2; exit 1; }
  ln -s "$work/$drive" "$WINEPREFIX/dosdevices/$drive:"
  mapped+=("$WINEPREFIX/dosdevices/$drive:")
done
project='D:\plc\line1.pmw'
package='E:\VANTU.PPW'

mkdir -p "$docs"
(cd "$work" && "$tessam_wine" explorer "/desktop=$desktop,${width}x${height}" Tessam.exe >/dev/null 2>&1) &


shot main-dialog "$main_title"
driver syscommand "$main_title" 0x10
shot about-box "$about_title"
driver command "$about_title" 1
driver wait-gone "$about_title"

# 1. "..." beside the project path: the open-file box, filtered to .pmw.
driver click "$main_title" 1001
shot flow-1-open-project "$main_title" owned-
driver owned-set-text "$main_title" 0x47c "$project"
driver owned-command "$main_title" 1
# 2. "..." beside the package path: the folder box. The script cannot click
# through the shell's folder tree, so it cancels and types the path instead.
driver click "$main_title" 1005
shot flow-2-choose-folder "$main_title" owned-
driver owned-command "$main_title" 2
driver set-text "$main_title" 1004 "$package"
shot flow-3-ready "$main_title"
# 3. "生成U盘下载": the result, then the folder window with the package selected.
driver click "$main_title" 1002
shot flow-4-success "提示"
driver command "提示" 1
driver wait-gone "提示"
shot_screen flow-5-revealed
test -s "$work/e/VANTU.PPW" && echo "package written: $(stat -c %s "$work/e/VANTU.PPW") bytes"

driver click "$main_title" 1003
driver wait-gone "$main_title"

# The main dialog again at 150%: Wine reads the scaling when a program
# starts, so a second Tessam.exe shows it.
"$tessam_wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
(cd "$work" && "$tessam_wine" explorer "/desktop=$desktop,${width}x${height}" Tessam.exe >/dev/null 2>&1) &
shot main-dialog-150 "$main_title"
driver click "$main_title" 1003
driver wait-gone "$main_title"
# The folder window keeps the Wine desktop alive; the clean-up
# ends them both.
