#!/usr/bin/env bash
# Installs ppwtool, the tessam launcher with Tessam.exe, their manual pages,
# the desktop entry and the icons under PREFIX (the list is shipped-files.sh),
# and records every file and folder it created in PREFIX/lib/tessam/installed
# so that uninstall.sh removes exactly those. Expects the release and windows presets to be built.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prefix=${1:?usage: install.sh PREFIX}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
manifest_dir="$prefix/lib/tessam"
manifest="$manifest_dir/installed"

created=()
make_dir() {  # like mkdir -p, remembering each folder it made
  local dir=$1 missing=()
  while [[ ! -d "$dir" ]]; do missing=("$dir" "${missing[@]}"); dir=$(dirname "$dir"); done
  for dir in "${missing[@]}"; do mkdir "$dir"; created+=("d $dir"); done
}
put() {  # put MODE SOURCE DEST
  make_dir "$(dirname "$3")"
  install -m "$1" "$2" "$3"
  created+=("f $3")
}

icons=$(mktemp -d)
trap 'rm -rf "$icons"' EXIT
python3 "$root/scripts/make-icon.py" --hicolor "$icons" >/dev/null

source "$root/scripts/shipped-files.sh"
while read -r _ mode dest source; do
  put "$mode" "$source" "$prefix/$dest"
done < <(shipped_files "$root/build/release/tools/ppwtool/ppwtool" "$root/build/windows/app/Tessam.exe" "$icons")

# Folders first in creation order, files after; uninstall walks it backwards.
# Merge with an earlier manifest so a reinstall keeps the folders it made.
{
  [[ -f "$manifest" ]] && cat "$manifest"
  printf '%s\n' "${created[@]}"
} | awk '!seen[$0]++' >"$manifest.new"
if ! grep -qx "f $manifest" "$manifest.new"; then echo "f $manifest" >>"$manifest.new"; fi
mv "$manifest.new" "$manifest"

echo "Installed Tessam into $prefix (run 'tessam', or find it in the desktop menu)."
