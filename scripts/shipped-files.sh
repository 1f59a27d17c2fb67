# Sourced: the one list of what a Linux install puts where, shared by
# install.sh and the Debian packages so that the two cannot drift apart.
# shipped_files PPWTOOL TESSAM_EXE ICON_FOLDER prints one line per file,
# "PACKAGE MODE DEST SOURCE", DEST relative to the prefix. SOURCE comes last
# because it is the only field that may hold spaces.
shipped_files() {
  local root ppwtool=$1 exe=$2 icons=$3 png size
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  echo "ppwtool 755 bin/ppwtool $ppwtool"
  echo "ppwtool 644 share/man/man1/ppwtool.1 $root/tools/ppwtool/ppwtool.1"
  echo "tessam 755 bin/tessam $root/packaging/tessam-launcher.sh"
  echo "tessam 644 share/man/man1/tessam.1 $root/packaging/tessam.1"
  echo "tessam 644 lib/tessam/Tessam.exe $exe"
  echo "tessam 644 lib/tessam/wine-env.sh $root/scripts/wine-env.sh"
  echo "tessam 755 lib/tessam/wine-prefix.sh $root/scripts/wine-prefix.sh"
  echo "tessam 644 share/applications/tessam.desktop $root/packaging/tessam.desktop"
  for png in "$icons"/*/apps/tessam.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    echo "tessam 644 share/icons/hicolor/$size/apps/tessam.png $png"
  done
}
