#!/bin/sh
# Checks that the stripped shipped program stays within its size budget.
exe="$1"; budget="$2"
[ -f "$exe" ] || { echo "missing: $exe"; exit 1; }
size=$(stat -c %s "$exe")
echo "Parvola95.exe (i686, stripped): $size bytes of $budget allowed"
file_kind=$(od -An -tx1 -j"$(( $(od -An -tu4 -j60 -N4 "$exe") + 4 ))" -N2 "$exe" | tr -d ' ')
[ "$file_kind" = "4c01" ] || { echo "not a 32-bit PE program (machine $file_kind)"; exit 1; }
[ "$size" -le "$budget" ]
