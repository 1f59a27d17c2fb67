#!/usr/bin/env bash
# Checks what `make dist` made: the zip holds exactly the shipped files, both
# Windows programs start under Wine, the tarball holds ppwtool and its manual
# page, and SHA256SUMS matches. The .deb files have check-debs.sh. Run inside scripts/wine-session.sh.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
zip="$dist/Tessam-1.0.0.1-win64.zip"
tarball="$dist/ppwtool-1.0.0.1-linux-x86_64.tar.gz"

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[[ $(wc -l <"$dist/SHA256SUMS") -eq 4 ]] || fail "SHA256SUMS should list the zip, the tarball and two .deb files"

zip_files=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[[ $zip_files == "README.txt Tessam.exe ppwtool.exe " ]] || fail "zip holds: $zip_files"
tar_files=$(tar -tzf "$tarball" | grep -v '/$' | sort | tr '\n' ' ')
[[ $tar_files == "ppwtool-1.0.0.1-linux-x86_64/bin/ppwtool ppwtool-1.0.0.1-linux-x86_64/share/man/man1/ppwtool.1 " ]] \
  || fail "tarball holds: $tar_files"

unzip -q "$zip" -d "$work/win"
for exe in Tessam.exe ppwtool.exe; do
  x86_64-w64-mingw32-objdump -p "$work/win/$exe" | grep -i 'DLL Name' | grep -viE 'kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|ws2_32|uuid|api-ms-win' \
    && fail "$exe needs a DLL that Windows does not ship"
done

source "$root/scripts/wine-env.sh"
version=$(cd "$work/win" && "$tessam_wine" ppwtool.exe --version | tr -d '\r')
[[ $version == *1.0.0.1* ]] || fail "ppwtool.exe --version printed '$version'"

(cd "$work/win" && "$tessam_wine" Tessam.exe >/dev/null 2>&1 &)
"$root/scripts/wait-for-window.sh" "Halvor" 60 || fail "Tessam.exe showed no dialog"
wineserver -k || true

tar -xzf "$tarball" -C "$work"
"$work/ppwtool-1.0.0.1-linux-x86_64/bin/ppwtool" --version | grep -q 1.0.0.1 || fail "native ppwtool --version"
echo "dist: 1 passed, 0 failed"
