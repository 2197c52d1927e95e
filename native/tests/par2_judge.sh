#!/bin/bash
# par2cmdline (Debian's par2) judges the recovery sets that the program's logic writes,
# and the logic repairs a set that par2cmdline writes:
#   par2_judge.sh PATH/TO/par2_set_tool
# Sets of one and of several volumes over pieces with a short last piece, a batch file
# shorter than one slice and an info file with a name in UTF-8 must verify, and par2 repair
# must rebuild deleted and damaged files from them (verify alone never reads the recovery
# data). A set made by `par2 create -s65536 -c40` must be repaired by the tool, which must
# say "not possible" when too few recovery slices are left. Exit 77 (skipped) without par2.
set -u
tool="$(realpath "$1")"
if ! command -v par2 >/dev/null; then
  echo "par2 is not installed (apt-get install par2): the sets are not judged"
  exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
# Runs a command and shows what it said when it fails.
said() { local output; output=$("$@" 2>&1) || { echo "$output" | tail -20; return 1; }; }

# Files as a split leaves them: the originals are kept in a folder of their own.
mkdir "$work/original"
cd "$work/original"
head -c 50000 /dev/urandom > piece.000
head -c 50000 /dev/urandom > piece.001
head -c 12345 /dev/urandom > piece.002
head -c 100 /dev/urandom > piece.Bat
head -c 700 /dev/urandom > "Bücher.Split"
files=(piece.000 piece.001 piece.002 piece.Bat "Bücher.Split")

# Deletes one piece and the info file, damages 5,000 bytes of another.
lose_and_damage() {
  rm -f "$1/piece.001" "$1/Bücher.Split"
  printf '%05000d' 0 | dd of="$1/piece.000" bs=1 seek=10000 conv=notrunc status=none
}

same_as_original() {
  local file
  for file in "${files[@]}"; do
    cmp -s "$work/original/$file" "$1/$file" || { fail "$2: $file differs from the original"; return; }
  done
}

# Our sets: 32 slices of 4,096 bytes, 30 recovery slices in one volume or in volumes of 7.
for per_volume in 30 7; do
  set_dir="$work/ours$per_volume"
  cp -r "$work/original" "$set_dir"
  "$tool" create "$set_dir/set" 4096 30 "$per_volume" "${files[@]}" 2>/dev/null || fail "create ($per_volume a volume)"
  volumes=$(ls "$set_dir"/set.vol*.par2 | wc -l)
  [ "$volumes" -eq $(( (30 + per_volume - 1) / per_volume )) ] || fail "$volumes volumes for $per_volume a volume"
  said par2 verify "$set_dir/set.par2" || fail "par2 verify of our set ($per_volume a volume)"
  lose_and_damage "$set_dir"
  # 23 recovery slices are left for 16 lost. par2 repair takes the first 16 exponents, and
  # aborts where their rows happen to be dependent (it does not pass over a row for a later
  # one), which a gap among them makes possible: the exponents left must start 0 to 15.
  [ "$per_volume" -eq 7 ] && rm "$set_dir"/set.vol21+7.par2
  said par2 repair "$set_dir/set.par2" || fail "par2 repair of our set ($per_volume a volume)"
  same_as_original "$set_dir" "par2 repair of our set ($per_volume a volume)"
  # And the tool repairs its own set the same way.
  lose_and_damage "$set_dir"
  said "$tool" repair "$set_dir/set.par2" || fail "our repair of our set ($per_volume a volume)"
  same_as_original "$set_dir" "our repair of our set ($per_volume a volume)"
done

# par2cmdline's set: 31 slices of 65,536 bytes, 40 recovery slices in volumes of 1, 2, 4, 8, 16, 9.
theirs="$work/theirs"
mkdir "$theirs"
head -c 800000 /dev/urandom > "$theirs/big.000"
head -c 800000 /dev/urandom > "$theirs/big.001"
head -c 300000 /dev/urandom > "$theirs/big.002"
cp -r "$theirs" "$work/theirs.original"
(cd "$theirs" && par2 create -q -s65536 -c40 big.par2 big.000 big.001 big.002 >/dev/null) || fail "par2 create"
rm "$theirs/big.001"
printf 'damage' | dd of="$theirs/big.000" bs=1 seek=100000 conv=notrunc status=none
head -c 299000 "$work/theirs.original/big.002" > "$theirs/big.002"  # cut short
said "$tool" repair "$theirs/big.par2" || fail "our repair of par2cmdline's set"
for file in big.000 big.001 big.002; do
  cmp -s "$work/theirs.original/$file" "$theirs/$file" || fail "our repair of par2cmdline's set: $file differs"
done
# 26 slices lost with 24 recovery slices left: not possible, and said so.
rm "$theirs/big.000" "$theirs/big.001" "$theirs"/big.vol15+16.par2
output=$("$tool" repair "$theirs/big.par2")
status=$?
[ "$status" -eq 2 ] || fail "our repair with too few recovery slices ended with $status"
[ "$output" = "repair not possible: 26 slices missing, 24 independent recovery slices" ] ||
  fail "our repair with too few recovery slices said: $output"

if [ "$failures" -eq 0 ]; then
  echo "par2cmdline judged every set"
  exit 0
fi
exit 1
