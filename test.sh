#!/bin/bash
# Checks the program's includes against its layers, builds and runs the native sanitizer
# tests of the window-free logic and the same tests for i386 on an old processor, replays
# and briefly fuzzes every fuzz target, builds run.sh's command-line check, then builds both
# Windows targets with their tests, checks that the shipped 32-bit program imports only
# what Windows 95 exports, and runs the whole test suite under Wine against each build:
#   ./test.sh [ctest arguments]
set -e -o pipefail
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$parvola_root/tools/setup.sh"
"$parvola_root/tools/check-layers.sh"
# Whether the shipped 32-bit program can run (where the kernel refuses it, through a
# recent qemu that the set-up registers) is known before Wine is installed, so that wine32
# comes in one transaction with the 64-bit Wine.
runs_32_bit=""
if parvola_ensure_32_bit_programs_run; then
  parvola_install_missing wine32 && runs_32_bit=1 ||
    no_32_bit_reason="Debian's wine32 could not be installed (see apt's lines above)"
else
  parvola_install_missing
  no_32_bit_reason="$parvola_32_bit_reason"
fi
parvola_ensure_locales
parvola_native_tests
parvola_old_processor_tests
# Every fuzz target runs its corpus, then fuzzes for 3 s: about 30 s in all.
"$parvola_root/fuzz/run.sh" 3
parvola_build_command_line_check >/dev/null
parvola_build i686 -DPARVOLA_TESTS=ON
"$parvola_root/tools/check-old-windows.sh" "$parvola_root/build/i686/Parvola95.exe"
parvola_build x86_64 -DPARVOLA_TESTS=ON

# Each suite has its own Wine prefix (the tests remap drive A:, register and unregister
# the shell entries, and make its windows unmanaged); within a suite, the test programs
# that share the prefix take turns (CTest's resource lock), and the others run beside them.
if [ -z "$runs_32_bit" ]; then
  echo "test.sh: $no_32_bit_reason: the suite runs against the x86_64 build alone;" \
    "of the shipped i686 build only its size and imports are checked"
  ctest --test-dir "$parvola_root/build/i686" --output-on-failure -L static "$@"
  parvola_run_suite x86_64 "$@"
elif [ -n "${DISPLAY:-}" ] || [ -n "${WINEPREFIX:-}" ]; then
  # A display or a prefix of the user's own is shared: the suites run one after the other.
  parvola_run_suite i686 "$@" && parvola_run_suite x86_64 "$@"
else
  # Each on a private display of its own and in a prefix of its own, side by side.
  parvola_ensure_display
  shipped_display="$DISPLAY"
  unset DISPLAY
  parvola_ensure_display
  DISPLAY="$shipped_display" parvola_run_suite i686 "$@" 2>&1 | sed -u 's/^/[i686]   /' &
  shipped=$!
  status=0
  parvola_run_suite x86_64 "$@" 2>&1 | sed -u 's/^/[x86_64] /' || status=1
  wait $shipped || status=1
  exit $status
fi
