#!/usr/bin/env bash
# Makes the release archives in build/dist: the Windows zip, the Linux
# ppwtool tarball and SHA256SUMS for both. Expects the windows and native
# presets to be built (the Makefile's `dist` target does that first).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/build/dist"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -rf "$out"
mkdir -p "$out"
for preset in windows native; do
  (cd "$work" && cpack --config "$root/build/$preset/CPackConfig.cmake" -B "$work/$preset" >/dev/null)
  find "$work/$preset" -maxdepth 1 -type f \( -name '*.zip' -o -name '*.tar.gz' \) -exec mv {} "$out/" \;
done

cd "$out"
sha256sum -- *.zip *.tar.gz >SHA256SUMS
ls -l "$out"
