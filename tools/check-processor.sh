#!/bin/bash
# Checks which processors the shipped program runs on, from its instructions:
#   tools/check-processor.sh PROGRAM.exe PROGRAM.map
# The program's own code is built for a Pentium: an instruction that came with the
# Pentium Pro (cmov, fcmov, fcomi, fucomi) or later (MMX and SSE registers) fails the
# check, naming the function, unless it is one of the vector ways of the CRC-32 or of the
# recovery data's multiply-add, which run only where the processor and the system offer
# them. The same instructions in the runtime libraries, which come built for a Pentium
# Pro, are listed by library object. The program's own code sits in its library's objects,
# or in the one object that the compiler makes of the whole program when it optimises it
# at link time.
set -u
program="$1" map="$2"
[ -f "$program" ] && [ -f "$map" ] || { echo "check-processor: needs the program and its link map"; exit 1; }

# The map's input sections of code as "start end section object", the section name holding
# the function's name where the object was built with a section per function. Other input
# sections that the linker puts among the code (exception tables) hold data, not instructions.
sections="$(awk '
  /^ \.[^ ]+ +0x[0-9a-f]+ +0x[0-9a-f]+ / { print $2, $3, $1, $4; pending = ""; next }
  /^ \.[^ ]+$/ { pending = $1; next }
  pending != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ / { print $1, $2, pending, $3 }
  { pending = "" }' "$map" | while read -r address size name object; do
    [[ "$name" == .text* ]] && [ $((size)) -gt 0 ] && [ $((address)) -gt 0 ] &&
      echo "$((address)) $((address + size)) $name $object"
  done)"

# Every instruction of a later processor than the Pentium, as "address mnemonic".
later="$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$program" | awk '
  /^ +[0-9a-f]+:\t/ {
    mnemonic = $2
    if (mnemonic ~ /^(cmov|fcmov)/ || mnemonic ~ /^f(u)?comip?$/ || $0 ~ /%[xyz]?mm[0-9]/) print $1, mnemonic
  }' | tr -d ':')"

failures=0
declare -A runtime
while read -r address mnemonic; do
  [ -n "$address" ] || continue
  at=$((16#$address))
  place="$(awk -v at="$at" '$1 <= at && at < $2 { print $3, $4; exit }' <<< "$sections")"
  [ -n "$place" ] || continue
  section="${place%% *}" object="${place#* }"
  case "$object" in
    *libparvola_core.a\(*|*objects.a\(*|*.lto.o)
      if [[ "$object" =~ (Crc32.cpp.obj|Galois16.cpp.obj|\.lto\.o) &&
            "$section" =~ _GLOBAL__N_1[0-9]+(Update(Carryless|Wide)|MultiplyAddBy(128|256))E ]]; then continue; fi
      echo "check-processor: $mnemonic at 0x$address in ${section#.text\$} of ${object##*/} needs a later processor than a Pentium"
      failures=$((failures + 1)) ;;
    *) runtime["${object##*/}"]=$(( ${runtime["${object##*/}"]:-0} + 1 )) ;;
  esac
done <<< "$later"

if [ ${#runtime[@]} -gt 0 ]; then
  echo "check-processor: the runtime libraries bring Pentium Pro instructions (cmov) in:"
  for object in "${!runtime[@]}"; do echo "  $object (${runtime[$object]})"; done | sort
fi
[ "$failures" -eq 0 ] || exit 1
echo "check-processor: the program's own code runs on a Pentium"
