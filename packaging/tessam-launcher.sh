#!/usr/bin/env bash
# Starts Tessam.exe under Wine. The program keeps config.cfg beside its
# executable, so it runs from a per-user copy in a folder the user can write;
# the Wine prefix lives there too and is set up on the first start.
set -euo pipefail
libdir=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../lib/tessam" && pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}/tessam
mkdir -p "$data"

# A newer install replaces the program; config.cfg stays.
if ! cmp -s "$libdir/Tessam.exe" "$data/Tessam.exe"; then
  cp "$libdir/Tessam.exe" "$data/Tessam.exe.new"
  mv -f "$data/Tessam.exe.new" "$data/Tessam.exe"
fi

export TESSAM_WINEPREFIX="$data/wine"
source "$libdir/wine-env.sh"
"$libdir/wine-prefix.sh"
tessam_start_session
cd "$data"
exec "$tessam_wine" Tessam.exe "$@"
