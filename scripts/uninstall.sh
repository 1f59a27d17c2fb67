#!/usr/bin/env bash
# Removes what install.sh put under PREFIX, as its manifest lists it: the files,
# then each folder it created if nothing else has moved in since. The per-user
# copy with config.cfg and the Wine prefix are the user's data and stay.
set -euo pipefail
prefix=${1:?usage: uninstall.sh PREFIX}
manifest="$prefix/lib/tessam/installed"
if [[ ! -f "$manifest" ]]; then
  echo "Nothing to uninstall: no Tessam install under $prefix." >&2
  exit 0
fi

mapfile -t entries < <(tac "$manifest")
for entry in "${entries[@]}"; do
  [[ $entry == f\ * ]] && rm -f -- "${entry#f }"
done
for entry in "${entries[@]}"; do
  [[ $entry == d\ * ]] && rmdir -- "${entry#d }" 2>/dev/null || true
done
echo "Removed Tessam from $prefix."
