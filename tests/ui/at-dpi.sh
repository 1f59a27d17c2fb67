#!/usr/bin/env bash
# Runs one test program with the Wine prefix's display scaling set to DPI
# (96 = 100%, 144 = 150%), and puts the scaling back afterwards. Wine reads
# it when a program starts, so each scaling is a program run of its own.
#   at-dpi.sh DPI PROGRAM [ARGS...]
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../../scripts/wine-env.sh"
"$here/../../scripts/wine-prefix.sh"
dpi=$1; shift
key='HKCU\Control Panel\Desktop'
restore() { "$tessam_wine" reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true; }
trap restore EXIT
"$tessam_wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
TESSAM_TEST_DPI=$dpi "$tessam_wine" "$@"
