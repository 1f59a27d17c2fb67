#!/usr/bin/env bash
# Builds the two Debian packages into OUT from stripped programs:
#   ppwtool_VERSION_ARCH.deb  the native program and its manual page;
#   tessam_VERSION_all.deb    Tessam.exe with its Wine launcher, the desktop
#                             entry and the icons, as install.sh lays them out.
# Times come from SOURCE_DATE_EPOCH, owners are root, modes are fixed, so the
# same inputs give the same bytes.
# usage: make-debs.sh OUT VERSION PPWTOOL TESSAM_EXE
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$1 version=$2 ppwtool=$3 exe=$4
: "${SOURCE_DATE_EPOCH:?set SOURCE_DATE_EPOCH}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
maintainer="Tessam maintainers <maintainers@users.noreply.c-seed-64cce57f.example>"

python3 "$root/scripts/make-icon.py" --hicolor "$work/icons" >/dev/null
source "$root/scripts/shipped-files.sh"
while read -r package mode dest source; do
  target="$work/debian/$package/usr/$dest"
  [[ $dest == share/man/* ]] && target+=.gz
  mkdir -p "$(dirname "$target")"
  case $dest in
    share/man/*) gzip -9n <"$source" >"$target" ;;
    # Debian's policy: an interpreter by its absolute path, not through env.
    *.sh | bin/tessam) sed '1s|^#!/usr/bin/env bash$|#!/bin/bash|' "$source" >"$target" ;;
    *) cp "$source" "$target" ;;
  esac
  chmod "$mode" "$target"
done < <(shipped_files "$ppwtool" "$exe" "$work/icons")

# ppwtool's library dependencies as dpkg-shlibdeps finds them; it wants the
# trees in debian/PACKAGE/DEBIAN with a debian/control beside them.
mkdir -p "$work/debian/ppwtool/DEBIAN"
printf 'Source: ppwtool\n\nPackage: ppwtool\nArchitecture: any\n' >"$work/debian/control"
ppwtool_depends=$(cd "$work" && dpkg-shlibdeps -O debian/ppwtool/usr/bin/ppwtool | sed -n 's/^shlibs:Depends=//p')

control() {  # control PACKAGE ARCH DEPENDS SECTION SUMMARY DESCRIPTION
  cat <<CONTROL
Package: $1
Version: $version
Architecture: $2
Maintainer: $maintainer
Installed-Size: $(du -s -k --apparent-size "$work/debian/$1/usr" | cut -f1)
Depends: $3
Section: $4
Priority: optional
Description: $5
$(fold -s -w 72 <<<"$6" | sed 's/ *$//; s/^/ /')
CONTROL
}

build() {  # build PACKAGE ARCH DEPENDS SECTION SUMMARY DESCRIPTION
  local tree="$work/debian/$1" doc="$work/debian/$1/usr/share/doc/$1"
  mkdir -p "$doc" "$tree/DEBIAN"
  cp "$root/packaging/copyright" "$doc/copyright"
  printf '%s (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- %s  %s\n' \
    "$1" "$version" "$version" "$maintainer" "$(date -u -R -d "@$SOURCE_DATE_EPOCH")" | gzip -9n >"$doc/changelog.gz"
  control "$@" >"$tree/DEBIAN/control"
  (cd "$tree" && find usr -type f -printf '%P\n' | LC_ALL=C sort | sed 's|^|usr/|' | xargs -d '\n' md5sum) \
    >"$tree/DEBIAN/md5sums"
  chmod -R u=rwX,go=rX "$tree"
  find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  dpkg-deb --root-owner-group -Zxz --build "$tree" "$out/${1}_${version}_$2.deb" >/dev/null
}

build ppwtool "$(dpkg --print-architecture)" "$ppwtool_depends" electronics \
  "build, check and unpack Tessam download packages" \
  "ppwtool is the command-line companion of Tessam: it turns a GX Developer project (.pmw) into a VANTU.PPW download package for a PLC, prints every field of a package with its checksums and a verdict, and extracts the program image."
# Both Wine packages: wine64 alone puts no wine, wineserver or winepath on the
# PATH (only the `wine` package does), and the launcher needs a 64-bit prefix.
build tessam all "wine64, wine, fonts-wqy-microhei" electronics \
  "GX Developer project to USB download package (runs under Wine)" \
  "Tessam turns one GX Developer project file (.pmw) into a download package, VANTU.PPW, on a USB stick, from which a controller loads the PLC program. This package runs the Windows program under Wine; each user keeps the settings file and the Wine prefix in their own data folder."
