#!/bin/bash
# Checks that the shipped program loads and runs on the systems it is made for:
#   tools/check-old-windows.sh PROGRAM.exe [TABLE]
# - every import is a function that Windows 95 exports, by the table of
#   tools/windows95-imports.txt (oldest system "Windows 95" or "Windows 95 OSR2");
# - the header asks for Windows 4.0 (95 and NT 4) as system and subsystem, for a 386.
# Each failure names the DLL and the function, or the field; the exit status is 1 then.
set -u
program="$1"
table="${2:-$(dirname "${BASH_SOURCE[0]}")/windows95-imports.txt}"
objdump=i686-w64-mingw32-objdump
[ -f "$program" ] || { echo "check-old-windows: no program $program"; exit 1; }

imports="$("$objdump" -p "$program" | awk '
  /^[ \t]*DLL Name:/ { dll = $3; next }
  /^[ \t]*vma:/ { next }
  /^$/ { dll = "" }
  dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }')"
[ -n "$imports" ] || { echo "check-old-windows: no import table in $program"; exit 1; }

failures=0
while read -r dll function; do
  # The table's line of this DLL (any case of its name) and function.
  line="$(awk -v dll="$dll" -v fn="$function" '
    !/^#/ && NF >= 3 && tolower($1) == tolower(dll) && $2 == fn { $1 = ""; $2 = ""; sub(/^ +/, ""); print; exit }' "$table")"
  if [ -z "$line" ]; then
    echo "check-old-windows: $dll $function is not in $(basename "$table"): is it in Windows 95?"
    failures=$((failures + 1))
  elif [[ "$line" != "Windows 95"* ]]; then
    echo "check-old-windows: $dll $function needs $line"
    failures=$((failures + 1))
  fi
done <<< "$imports"

header="$("$objdump" -p "$program")"
for field in MajorOSystemVersion:4 MinorOSystemVersion:0 MajorSubsystemVersion:4 MinorSubsystemVersion:0; do
  value="$(awk -v name="${field%%:*}" '$1 == name { print $2; exit }' <<< "$header")"
  if [ "$value" != "${field##*:}" ]; then
    echo "check-old-windows: the header's ${field%%:*} is ${value:-missing}, not ${field##*:}"
    failures=$((failures + 1))
  fi
done
grep -q 'file format pei-i386' <<< "$("$objdump" -f "$program")" ||
  { echo "check-old-windows: $program is not a 32-bit program"; failures=$((failures + 1)); }

count="$(wc -l <<< "$imports")"
if [ "$failures" -gt 0 ]; then
  echo "check-old-windows: $failures of $count imports and header fields keep $(basename "$program") from old systems"
  exit 1
fi
echo "check-old-windows: $(basename "$program") imports $count functions, all in Windows 95; header 4.0"
