#!/usr/bin/env bash
# What `make dist` made: each zip holds exactly the shipped files, whose imports, PE headers and manifests suit
# Windows 7 SP1 and whose programs start under Wine (32-bit ones in the 64-bit prefix, as on 64-bit Windows); the
# tarball holds ppwtool and its manual page; SHA256SUMS matches (.deb: check-debs.sh). Run in wine-session.sh.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
tarball="$dist/ppwtool-1.0.0.1-linux-x86_64.tar.gz"

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[[ $(wc -l <"$dist/SHA256SUMS") -eq 5 ]] || fail "SHA256SUMS should list two zips, the tarball and two .deb files"

tar_files=$(tar -tzf "$tarball" | grep -v '/$' | sort | tr '\n' ' ')
[[ $tar_files == "ppwtool-1.0.0.1-linux-x86_64/bin/ppwtool ppwtool-1.0.0.1-linux-x86_64/share/man/man1/ppwtool.1 " ]] \
  || fail "tarball holds: $tar_files"

source "$root/scripts/wine-env.sh"
for bits in win32 win64; do
  win="$work/$bits" zip="$dist/Tessam-1.0.0.1-$bits.zip"
  unzip -q "$zip" -d "$win"
  zip_files=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
  [[ $zip_files == "README.txt Tessam.exe ppwtool.exe " ]] || fail "$bits zip holds: $zip_files"
  objdump=$([[ $bits == win32 ]] && echo i686 || echo x86_64)-w64-mingw32-objdump
  "$root/tests/pe/check_pe.py" "$objdump" "$root/tests/pe/windows-imports.txt" "$win/Tessam.exe" "$win/ppwtool.exe" \
    >/dev/null || fail "the $bits programs do not suit Windows 7 SP1"

  version=$(cd "$win" && "$tessam_wine" ppwtool.exe --version | tr -d '\r')
  [[ $version == *1.0.0.1* ]] || fail "$bits ppwtool.exe --version printed '$version'"
  (cd "$win" && "$tessam_wine" Tessam.exe >/dev/null 2>&1 &)
  "$root/scripts/wait-for-window.sh" "Halvor" 60 || fail "$bits Tessam.exe showed no dialog"
  wineserver -k && wineserver -w || true   # the next program's window must be its own
done

tar -xzf "$tarball" -C "$work"
"$work/ppwtool-1.0.0.1-linux-x86_64/bin/ppwtool" --version | grep -q 1.0.0.1 || fail "native ppwtool --version"
echo "dist: 1 passed, 0 failed"
