#!/usr/bin/env bash
# Makes the release files in OUT (default build/dist): the two Windows zips
# (32-bit and 64-bit), the Linux ppwtool tarball, the two Debian packages and
# SHA256SUMS. Expects the windows, windows32 and release presets to be built
# (the Makefile's `dist` does that).
# The same commit gives the same bytes: every time is SOURCE_DATE_EPOCH (the
# commit's date unless set), entries go in name order, owned by root, with
# fixed modes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$root/build/dist}")
if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || stat -c %Y "$root/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH TZ=UTC0 LC_ALL=C
umask 022
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/release/CMakeCache.txt")
linux="$work/ppwtool-$version-linux-x86_64"
cmake --install "$root/build/windows32" --component dist --prefix "$work/win32" --strip >/dev/null
cmake --install "$root/build/windows" --component dist --prefix "$work/win64" --strip >/dev/null
cmake --install "$root/build/release" --component dist --prefix "$linux" --strip >/dev/null
chmod -R u=rwX,go=rX "$work"
find "$work" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

rm -rf "$out"
mkdir -p "$out"
# zip: no extra fields (owners, extra time stamps), no folder entries; its
# DOS times are local times, hence TZ above.
for bits in win32 win64; do
  (cd "$work/$bits" && find . -type f -printf '%P\n' | sort | zip -X -D -q -9 -@ "$out/Tessam-$version-$bits.zip")
done
tar -C "$work" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
  -cf - "$(basename "$linux")" | gzip -9n >"$out/$(basename "$linux").tar.gz"
# The Debian package runs the 64-bit program, in a 64-bit Wine prefix.
"$root/scripts/make-debs.sh" "$out" "$version" "$linux/bin/ppwtool" "$work/win64/Tessam.exe"

cd "$out"
sha256sum -- *.zip *.tar.gz *.deb >SHA256SUMS
ls -l "$out"
