#!/usr/bin/env bash
# Runs a command inside one Wine session: a private Xvfb display (so tests never
# pop windows onto a developer's screen; TESSAM_USE_DISPLAY=1 keeps $DISPLAY)
# and one wineserver kept alive for the whole command, so the Windows programs
# it starts do not each pay for Wine's start-up.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/wine-env.sh"
"$here/wine-prefix.sh"

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [[ -z "${DISPLAY:-}" || -z "${TESSAM_USE_DISPLAY:-}" ]]; then
  # -displayfd lets Xvfb pick a free display number and tell us which.
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display_number <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$display_number"
fi

wineserver -p
# Start the prefix's background services (services.exe, winedevice.exe, ...)
# here, with their output going nowhere: started by the first test program
# instead, they would inherit ctest's output pipe and keep ctest waiting on it
# until the session ends.
tessam_start_session
"$@"
