#!/usr/bin/env bash
# Wine on a bare Xvfb has no window manager to talk to, and waits two seconds
# for one each time a managed window is hidden. The UI test programs named
# here get unmanaged windows instead (a per-program Wine setting in the
# prefix, read when a program starts, so it is set before they run).
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../../scripts/wine-env.sh"
"$here/../../scripts/wine-prefix.sh"
for program in "$@"; do
  "$tessam_wine" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" \
    /v Managed /t REG_SZ /d N /f >/dev/null
done
