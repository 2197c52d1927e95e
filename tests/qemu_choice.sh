#!/bin/bash
# The set-up's choices for 32-bit programs (tools/setup.sh), from what it finds: whether the
# kernel runs them itself, which binfmt_misc handler takes them and which qemu that is; and
# the version it reads from qemu's answer.
#   tests/qemu_choice.sh
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/tools/setup.sh"
passed=0 failed=0

# expect CASE WANTED COMMAND...
expect() {
  local name="$1" wanted="$2" got
  shift 2
  got="$("$@" 2>/dev/null)"
  if [ "$got" = "$wanted" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s\n  wanted: %s\n  got:    %s\n' "$name" "$wanted" "$got"
  fi
}

qemu="qemu-i386 (/usr/bin/qemu-i386)"
box="box86 (/usr/local/bin/box86)"
#      case                                                 choice     kernel handler version
while IFS='|' read -r name wanted kernel handler version; do
  expect "$name" "$wanted" parvola_32_bit_choice "$kernel" "${handler:+${!handler}}" "$version"
done <<'EOF'
a kernel that runs them, without a handler|run|yes||
a kernel that refuses them, without a handler|register|no||
qemu 10.0.2 as the handler|run|no|qemu|10.0.2
a later qemu as the handler|run|no|qemu|11.1
qemu 9.2 (older by number, later by letter)|replace|no|qemu|9.2.0
Debian 12's qemu where the kernel refuses them|replace|no|qemu|7.2.22
Debian 12's qemu where the kernel cannot be asked|replace||qemu|7.2.22
EOF
expect "Debian 12's qemu where the kernel runs them itself" \
  "leave 32-bit programs run here through the emulator $qemu (qemu 7.2.22), too slowly for the suite, although the kernel runs them itself" \
  parvola_32_bit_choice yes "$qemu" 7.2.22
expect "an emulator that is no qemu" "leave 32-bit programs run here through the emulator $box, which is not qemu" \
  parvola_32_bit_choice no "$box" ""

# qemu's answer to QEMU_VERSION (or to --version), and a program's own output where the
# handler is no qemu.
expect "qemu 7.2's answer" 7.2.22 parvola_qemu_version \
  < <(printf 'qemu-i386 version 7.2.22 (Debian 1:7.2+dfsg-7+deb12u18+b3)\nCopyright (c) 2003-2022 Fabrice Bellard\n')
expect "qemu 10.0's answer" 10.0.2 parvola_qemu_version \
  < <(printf 'qemu-i386 version 10.0.2 (Debian 1:10.0.2+ds-2+deb13u1~bpo12+1)\nCopyright (c) 2003-2025 Fabrice Bellard\n')
expect "a program's own output" "" parvola_qemu_version < <(printf 'Usage: probe\nqemu-i386 version 10.0.2\n')

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
