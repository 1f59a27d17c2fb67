#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (ctest's emulator).
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/wine-env.sh"
"$here/wine-prefix.sh"
exec "$tessam_wine" "$@"
