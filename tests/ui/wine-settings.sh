#!/usr/bin/env bash
# Wine settings for the dialog tests, in the suite's Wine prefix.
#   unmanaged PROGRAM: on a bare Xvfb Wine waits 2 s for a window manager whenever a managed window hides, so
#     the program named gets unmanaged windows.
#   dpi DPI PROGRAM [ARGS...]: runs one program (Wine reads the scaling as it starts) at DPI (96 = 100%), then back.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../../scripts/wine-env.sh"
"$here/../../scripts/wine-prefix.sh"
reg() { "$tessam_wine" reg "$@" >/dev/null; }
if [[ $1 == unmanaged ]]; then
  reg add "HKCU\\Software\\Wine\\AppDefaults\\$2\\X11 Driver" /v Managed /t REG_SZ /d N /f
else
  key='HKCU\Control Panel\Desktop'
  trap 'reg delete "$key" /v LogPixels /f 2>/dev/null || true' EXIT
  reg add "$key" /v LogPixels /t REG_DWORD /d "$2" /f
  TESSAM_TEST_DPI=$2 "$tessam_wine" "${@:3}"
fi
