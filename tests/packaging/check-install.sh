#!/usr/bin/env bash
# `make install` into a temporary prefix and home, the launcher shows the dialog, then `make uninstall` leaves the
# prefix exactly as it was. Needs an X display (run inside wine-session.sh).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
prefix="$work/prefix"
mkdir -p "$HOME" "$prefix/bin" "$prefix/share"
touch "$prefix/bin/someone-elses-tool"
stop_wine() { WINEPREFIX="$XDG_DATA_HOME/tessam/wine" wineserver -k 2>/dev/null || true; }
trap 'stop_wine; rm -rf "$work"' EXIT
snapshot() { (cd "$prefix" && find . | sort); }

before=$(snapshot)
make -s -C "$root" install PREFIX="$prefix" >/dev/null
for f in bin/{ppwtool,tessam} share/{man/man1/ppwtool.1,applications/tessam.desktop} \
         share/icons/hicolor/{48x48,256x256}/apps/tessam.png; do [[ -e "$prefix/$f" ]] || fail "not installed: $f"; done
"$prefix/bin/ppwtool" --version | grep -q 1.0.0.1 || fail "installed ppwtool does not run"
grep -q '^Exec=tessam' "$prefix/share/applications/tessam.desktop" || fail "desktop entry"

"$prefix/bin/tessam" >/dev/null 2>&1 &
"$root/scripts/wait-for-window.sh" "Halvor" 120 || fail "the launcher showed no dialog"
[[ -f "$XDG_DATA_HOME/tessam/Tessam.exe" ]] || fail "no per-user copy of Tessam.exe"
stop_wine

make -s -C "$root" install PREFIX="$prefix" >/dev/null   # a reinstall must not confuse uninstall
make -s -C "$root" uninstall PREFIX="$prefix" >/dev/null
after=$(snapshot)
[[ "$before" == "$after" ]] || fail "uninstall left the prefix changed: $(diff <(echo "$before") <(echo "$after"))"
echo "install: 1 passed, 0 failed"
