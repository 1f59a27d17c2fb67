#!/usr/bin/env bash
# Wine on a bare Xvfb waits two seconds for a window manager each time a
# managed window is hidden: the programs named here get unmanaged windows.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../../scripts/wine-env.sh"
"$here/../../scripts/wine-prefix.sh"
for program in "$@"; do
  "$tessam_wine" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" \
    /v Managed /t REG_SZ /d N /f >/dev/null
done
