#!/usr/bin/env bash
# Installs ppwtool, its manual page, the tessam launcher with Tessam.exe, the
# desktop entry and the icons under PREFIX, and records every file and folder
# it created in PREFIX/lib/tessam/installed so that uninstall.sh removes
# exactly those. Expects the native and windows presets to be built.
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

put 755 "$root/build/native/tools/ppwtool/ppwtool" "$prefix/bin/ppwtool"
put 644 "$root/tools/ppwtool/ppwtool.1" "$prefix/share/man/man1/ppwtool.1"
put 755 "$root/packaging/tessam-launcher.sh" "$prefix/bin/tessam"
put 644 "$root/build/windows/app/Tessam.exe" "$manifest_dir/Tessam.exe"
put 644 "$root/scripts/wine-env.sh" "$manifest_dir/wine-env.sh"
put 755 "$root/scripts/wine-prefix.sh" "$manifest_dir/wine-prefix.sh"
put 644 "$root/packaging/tessam.desktop" "$prefix/share/applications/tessam.desktop"
for png in "$icons"/*/apps/tessam.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  put 644 "$png" "$prefix/share/icons/hicolor/$size/apps/tessam.png"
done

# Folders first in creation order, files after; uninstall walks it backwards.
# Merge with an earlier manifest so a reinstall keeps the folders it made.
{
  [[ -f "$manifest" ]] && cat "$manifest"
  printf '%s\n' "${created[@]}"
} | awk '!seen[$0]++' >"$manifest.new"
if ! grep -qx "f $manifest" "$manifest.new"; then echo "f $manifest" >>"$manifest.new"; fi
mv "$manifest.new" "$manifest"

echo "Installed Tessam into $prefix (run 'tessam', or find it in the desktop menu)."
