#!/bin/bash
# The check of the shipped program for the systems and processors it is made for, and
# proof that the check catches what it is there for: a program that imports a function
# Windows 95 lacks (RegDeleteTreeA), and code built for a later processor than a Pentium.
#   tests/oldwindows.sh SHIPPED.exe SHIPPED.map
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$1" map="$2"
failed=0
"$here/tools/check-old-windows.sh" "$program" || failed=1
"$here/tools/check-processor.sh" "$program" "$map" || failed=1

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cat > "$scratch/late.c" <<'PROGRAM'
#include <windows.h>
int choose(int a, int b, int c) { return a ? b : c; }
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) {
  (void)i; (void)p; (void)c;
  return (int)RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Nothing") + choose(s, 1, 2);
}
PROGRAM
# Built as the program's own code is, but for a Pentium Pro: the check must name both.
# The map then names its object as one of the program's library.
i686-w64-mingw32-gcc -O2 -march=pentiumpro -D_WIN32_WINNT=0x0600 -c "$scratch/late.c" -o "$scratch/late.o" &&
  i686-w64-mingw32-gcc -mwindows -static "$scratch/late.o" -o "$scratch/late.exe" -Wl,-Map="$scratch/late.map" \
    -ladvapi32 || exit 1
sed -i 's|[^ ]*late\.o|libparvola_core.a(late.o)|' "$scratch/late.map"
found="$("$here/tools/check-old-windows.sh" "$scratch/late.exe")" && { echo "an import of RegDeleteTreeA passed"; failed=1; }
grep -q 'ADVAPI32.dll RegDeleteTreeA needs Windows Vista' <<< "$found" ||
  { echo "the check did not name RegDeleteTreeA: $found"; failed=1; }
found="$("$here/tools/check-processor.sh" "$scratch/late.exe" "$scratch/late.map")" &&
  { echo "cmov in the program's own code passed"; failed=1; }
grep -q 'cmov.* of libparvola_core.a(late.o) needs a later processor' <<< "$found" ||
  { echo "the check did not name the cmov: $found"; failed=1; }
exit $failed
