#!/bin/bash
# Runs a Windows program of this project under 64-bit Wine.
# Used by CTest as the emulator of every test executable and by run.sh.
# WINEPREFIX is used when set; otherwise the prefix lives in the build folder
# that PARVOLA_BUILD_DIR names (or ./build/wine).
set -e
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-${PARVOLA_BUILD_DIR:-$here/build}/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w || true
fi
exec /usr/lib/wine/wine64 "$@"
