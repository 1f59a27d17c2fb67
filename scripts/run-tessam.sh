#!/usr/bin/env bash
# Starts Tessam.exe under the project's Wine prefix on the current X display.
# Without a display (a server, a container) it runs on a private Xvfb instead
# and saves a screenshot, so you can still see that it started.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=$(readlink -f "${1:?usage: run-tessam.sh PATH/TO/Tessam.exe}")
source "$here/wine-env.sh"
"$here/wine-prefix.sh"
cd "$(dirname "$exe")"

if [[ -n "${DISPLAY:-}" ]]; then
  tessam_start_session
  exec "$tessam_wine" "$(basename "$exe")"
fi

shot="$tessam_root/build/tessam-running.png"
width=1024 height=768
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 ${width}x${height}x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
read -r display_number <"$fifo"; rm -f "$fifo"
export DISPLAY=":$display_number"

tessam_start_session
# Xvfb has no window manager to draw title bars. Wine's own desktop draws
# them, so the picture shows the title, icon and close box a user sees.
"$tessam_wine" explorer "/desktop=tessam,${width}x${height}" "$(basename "$exe")" </dev/null >/dev/null 2>&1 &
desktop_pid=$!
"$here/wait-for-window.sh" "Halvor" 60
sleep 1  # let the first paint finish before the picture is taken
import -window root "$shot"
echo "No X display here, so Tessam is running on a private virtual display ($DISPLAY)."
echo "Screenshot: $shot"
echo "Press Ctrl+C to stop it."
wait "$desktop_pid"  # the desktop ends with its last window
