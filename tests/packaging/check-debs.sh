#!/usr/bin/env bash
# The .deb files of `make dist`: no lintian error, tessam holds what install.sh installs (and docs) and depends on Wine
# and the Chinese font; both install, verify and purge cleanly in a private dpkg root, never the machine's.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ppwtool_deb="$dist/ppwtool_1.0.0.1_amd64.deb" tessam_deb="$dist/tessam_1.0.0.1_all.deb"

lintian --fail-on error "$ppwtool_deb" "$tessam_deb" 2> >(grep -v 'root privileges' >&2) \
  || fail "lintian reports errors"
[[ $(dpkg-deb -f "$tessam_deb" Depends) == "wine64, wine, fonts-wqy-microhei" ]] || fail "tessam's Depends"
[[ $(dpkg-deb -f "$ppwtool_deb" Depends) == *libc6* ]] || fail "ppwtool's Depends lack its libraries"

# The same files as `make install`, under /usr, manual pages compressed.
source "$root/scripts/shipped-files.sh"
mkdir -p "$work/icons/48x48/apps" && touch "$work/icons/48x48/apps/tessam.png"
expected=$(shipped_files - - "$work/icons" | awk '$1 == "tessam" {print "./usr/" $3}' | sed 's|/man1/.*|&.gz|; /hicolor/d'
           printf '%s\n' ./usr/share/doc/tessam/changelog.gz ./usr/share/doc/tessam/copyright)
actual=$(dpkg-deb --fsys-tarfile "$tessam_deb" | tar -t | grep -v '/$' | grep -v hicolor)
[[ $(sort <<<"$expected") == "$(sort <<<"$actual")" ]] || fail "tessam holds: $actual"
[[ $(dpkg-deb -c "$tessam_deb") == *hicolor/256x256/apps/tessam.png* ]] || fail "tessam lacks its icons"

# A private dpkg root; fakeroot lets dpkg set root as owner without privileges.
target="$work/root"
mkdir -p "$target"/var/lib/dpkg/{info,updates} && touch "$target"/var/lib/dpkg/{status,available}
snapshot() { (cd "$target" && find . -path ./var -prune -o -print | sort); }
before=$(snapshot)
dpkg_root() {  # the dependencies live outside this root: their complaints go to a log
  fakeroot dpkg --root="$target" --force-not-root --force-depends --log=/dev/null "$@" >"$work/dpkg.log" 2>&1 \
    || { cat "$work/dpkg.log" >&2; fail "dpkg $*"; }
}
dpkg_root -i "$ppwtool_deb" "$tessam_deb"
dpkg --root="$target" --verify ppwtool tessam || fail "installed files do not match the md5sums"
"$target/usr/bin/ppwtool" --version | grep -q 1.0.0.1 || fail "installed ppwtool does not run"
unzip -p "$dist/Tessam-1.0.0.1-win64.zip" Tessam.exe | cmp -s - "$target/usr/lib/tessam/Tessam.exe" \
  || fail "the packaged Tessam.exe is not the zip's"
dpkg_root --purge ppwtool tessam
[[ $(snapshot) == "$before" ]] || fail "purge left: $(diff <(echo "$before") <(snapshot))"
echo "debs: 1 passed, 0 failed"
