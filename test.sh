#!/bin/bash
# Builds and runs the native sanitizer tests of the window-free logic, builds run.sh's
# command-line check, then builds both Windows targets and runs the whole test suite
# under Wine: ./test.sh [ctest arguments]
set -e
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$parvola_root/tools/setup.sh"
parvola_install_missing
parvola_native_tests
parvola_build_command_line_check >/dev/null
parvola_build i686
parvola_build x86_64 -DPARVOLA_TESTS=ON -DPARVOLA_SHIPPED_EXE="$parvola_root/build/i686/Parvola95.exe"
parvola_ensure_display
export PARVOLA_BUILD_DIR="$parvola_root/build/x86_64"
"$parvola_root/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true   # creates the Wine prefix once
set +e
ctest --test-dir "$parvola_root/build/x86_64" --output-on-failure "$@"
status=$?
WINEPREFIX="${WINEPREFIX:-$PARVOLA_BUILD_DIR/wine}" /usr/lib/wine/wineserver -k 2>/dev/null
exit $status
