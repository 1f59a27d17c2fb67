#!/usr/bin/env bash
# Starts Tessam.exe under the project's Wine prefix on the current X display.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
exe=${1:?usage: run-tessam.sh PATH/TO/Tessam.exe}
if [[ -z "${DISPLAY:-}" ]]; then
  echo "No X display (DISPLAY is not set): Tessam is a desktop program." >&2
  echo "Run this from a desktop session, or see 'make screenshots' for a headless look." >&2
  exit 1
fi
source "$here/wine-env.sh"
"$here/wine-prefix.sh"
cd "$(dirname "$exe")"
exec "$tessam_wine" "$(basename "$exe")"
