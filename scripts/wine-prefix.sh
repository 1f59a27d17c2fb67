#!/usr/bin/env bash
# Creates the Wine prefix once, with font replacements so that Chinese text
# renders in dialogs that ask for "MS Shell Dlg" and friends.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

stamp="$WINEPREFIX/.tessam-fonts-v2"
[[ -f "$stamp" ]] && exit 0

mkdir -p "$WINEPREFIX"
"$tessam_wine" wineboot -i >/dev/null 2>&1 || true
wineserver -w

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS Sans Serif" "Segoe UI" \
              "Microsoft Sans Serif" "SimSun" "NSimSun" "Microsoft YaHei" "Arial"; do
    printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
  done
  printf '\r\n'
} >"$reg"
"$tessam_wine" regedit /S "$(winepath -w "$reg" 2>/dev/null || echo "$reg")" >/dev/null 2>&1
wineserver -w

# Wine's Marlett draws the title-bar buttons, and this Wine build does not find
# it by itself. Only Marlett: an installed Tahoma would stop the replacement.
if [[ -f /usr/share/wine/fonts/marlett.ttf ]]; then
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
touch "$stamp"
