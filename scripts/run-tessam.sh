#!/usr/bin/env bash
# Starts Tessam.exe under the project's Wine prefix (on the current display,
# or on a private Xvfb when there is none).
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
exe=${1:?usage: run-tessam.sh PATH/TO/Tessam.exe}
source "$here/wine-env.sh"
"$here/wine-prefix.sh"
cd "$(dirname "$exe")"
exec "$tessam_wine" "$(basename "$exe")"
