#!/bin/bash
# Checks the program's includes against its layers, builds and runs the native sanitizer
# tests of the window-free logic, builds run.sh's command-line check, then builds both
# Windows targets and runs the whole test suite under Wine: ./test.sh [ctest arguments]
set -e
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$parvola_root/tools/setup.sh"
"$parvola_root/tools/check-layers.sh"
parvola_install_missing
parvola_ensure_german_locale
parvola_native_tests
parvola_build_command_line_check >/dev/null
parvola_build i686
parvola_build x86_64 -DPARVOLA_TESTS=ON -DPARVOLA_SHIPPED_EXE="$parvola_root/build/i686/Parvola95.exe"
parvola_ensure_display
export PARVOLA_BUILD_DIR="$parvola_root/build/x86_64"
# The tests' own prefix, apart from the one run.sh uses: they remap drive A:, register
# and unregister the shell entries, and make its windows unmanaged.
export WINEPREFIX="${WINEPREFIX:-$PARVOLA_BUILD_DIR/wine-tests}"
parvola_start_headless_wine
# The test programs under Wine share this prefix and take turns (CTest's resource lock);
# tests outside it run beside them.
ctest --test-dir "$parvola_root/build/x86_64" --output-on-failure -j "$(nproc)" "$@"
