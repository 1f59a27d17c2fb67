# Sourced by the Wine scripts: the project's own Wine prefix, inside the build
# tree, never the user's home. TESSAM_WINEPREFIX overrides it (the launcher
# installed by `make install` keeps one per user). TESSAM_WINEARCH=win32 picks
# a 32-bit prefix of its own, a 32-bit Windows for the 32-bit build's tests.
tessam_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH=${TESSAM_WINEARCH:-win64}
if [[ $WINEARCH == win32 ]]; then tessam_default_prefix=$tessam_root/build/wine32; else tessam_default_prefix=$tessam_root/build/wine; fi
export WINEPREFIX=${TESSAM_WINEPREFIX:-$tessam_default_prefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if command -v wine >/dev/null 2>&1; then tessam_wine=wine; else tessam_wine=wine64; fi

# Brings up the session's services (among them the shell's window service,
# which the folder reveal asks for) before the program starts, and returns
# once they run. Started by the program itself they race it, and a session
# whose desktop came up before its services never serves the reveal.
tessam_start_session() {
  "$tessam_wine" wineboot </dev/null >/dev/null 2>&1 || true
}
