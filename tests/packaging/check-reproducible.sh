#!/usr/bin/env bash
# The release files made twice from the same binaries, in other time zones and umasks, are the same bytes; PE time
# stamps, which a rebuild would change: none where the linker writes, the commit's date in the programs shipped.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
pe_stamp() { date -u -d "$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^Time\/Date[[:space:]]*//p')" +%s; }

(unset SOURCE_DATE_EPOCH; umask 022; TZ=UTC "$root/scripts/dist.sh" "$work/a" >/dev/null)
(unset SOURCE_DATE_EPOCH; umask 077; TZ=Asia/Shanghai "$root/scripts/dist.sh" "$work/b" >/dev/null)
(cd "$work" && diff -rq a b >&2) || fail "the two runs made different files"

commit=$(git -C "$root" log -1 --format=%ct)
stamp=$(tar -tvzf "$work"/a/*.tar.gz --full-time --utc | awk 'NR == 1 {print $4 " " $5}')
[[ $(date -u -d "$stamp" +%s) == "$commit" ]] || fail "tarball entries are dated $stamp, not the commit's date"
for bits in win32 win64; do
  build="$root/build/$([[ $bits == win32 ]] && echo windows32 || echo windows)"
  unzip -q "$work/a/Tessam-1.0.0.1-$bits.zip" -d "$work/$bits"
  for exe in "$build/app/Tessam.exe" "$build/tools/ppwtool/ppwtool.exe"; do
    [[ $(pe_stamp "$exe") == 0 ]] || fail "$exe carries a link time"
    [[ $(pe_stamp "$work/$bits/${exe##*/}") == "$commit" ]] || fail "${exe##*/} in the $bits zip: not the commit's date"
  done
done
echo "reproducible: 1 passed, 0 failed"
