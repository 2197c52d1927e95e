#!/bin/bash
# Throughput of Parvola 95 against the platform's own tools, and the program's footprint.
#
#   bench/run.sh [--quick] [--warm] [--runs N] [--busy-runs N] [--baseline OTHER.exe]
#
# Times, N times each (default 5), on a file of incompressible data (1 GiB, 100 MiB with
# --quick) in one temporary folder: the unattended hidden split into 100 MiB pieces with
# the info file against `split -b 100M -d -a 3`; the same split with one piece's worth of
# recovery data (/of) against the one without it, and the same pair for 1.44 MB pieces
# (/n14) into a folder; the unattended restore of the pieces against `cat`, and the restore
# of the recovery split's pieces with one whole piece deleted (rebuilt from the recovery
# set) against the plain restore; `par2 create` with one thread (-t1) and with its default
# threads over the recovery split's pieces and info file, at the slice size and recovery
# slice count the program chose; `cp` of the file as the machine's ceiling; and the
# platform's ceiling, a bare Win32 loop of the benchmark's own (bench/BareCopy.cpp:
# ReadFile and WriteFile of 1 MiB blocks, under the same Wine) that does the file work of
# the program's split and restore, each right before or after the program's step (in
# turns) from the same state. For split and restore the report gives the median over the
# rounds of the bare loop's time over the program's (1.00: the program is as fast as the
# ceiling), and the same again from M more rounds of those pairs alone while a shell loop
# keeps one core busy (--busy-runs M, default N; 0 leaves them out). Every piece
# and restored file is compared byte for byte with the source, and par2's recovery slices
# with the program's; the program's recovery sets must pass `par2 verify`. A wrong byte
# makes the run fail. Page caches are dropped before every timed step when the system
# allows it (--warm keeps them). --baseline times a second build of the program in the
# same rounds (split and restore), for before/after figures. The program's steps are also
# shown net of Wine's start-up and shutdown (the median of an unattended split of 1 byte);
# the time of the recovery data is the median split with it less the median split without
# it. Every step also shows its slowest run over its median, where a run that stalled
# shows. Two more splits of the file, without and with recovery data, measure the program's
# peak memory.
set -euo pipefail
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$parvola_root/tools/setup.sh"

size_mib=1024 runs=5 busy_runs="" cold=1 baseline=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) size_mib=100 ;;
    --warm) cold=0 ;;
    --runs) runs="$2"; shift ;;
    --busy-runs) busy_runs="$2"; shift ;;
    --baseline) baseline="$(realpath "$2")"; shift ;;
    *) cat >&2 <<'USAGE'
usage: bench/run.sh [--quick] [--warm] [--runs N] [--busy-runs N] [--baseline OTHER.exe]
Times the program's unattended split (100 MiB and 1.44 MB pieces, without and with one
piece's worth of recovery data) and restore (all pieces, and one piece lost and rebuilt)
against split, cat, cp and par2 create (one thread and its default threads), on 1 GiB of
random data; measures the program's peak memory without and with recovery data. The
split into 100 MiB pieces and the restore are paired in every round with a bare Win32
ReadFile/WriteFile loop of 1 MiB blocks doing the same file work under the same Wine:
the report gives the median over the rounds of its time over the program's (1.00: as
fast as that ceiling), idle and with one core busy. Every step shows its slowest run
over its median (max/med).
  --quick          100 MiB of data instead of 1 GiB
  --warm           keep the page caches between steps instead of dropping them
  --runs N         N rounds of every timed step (default 5); medians are reported
  --busy-runs N    N rounds of the paired split and restore while a shell loop keeps one
                   core busy (default: the --runs count; 0 leaves them out)
  --baseline EXE   also time another build's split and restore in the same rounds
USAGE
       exit 2 ;;
  esac
  shift
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "--runs needs a positive count" >&2; exit 2; }
busy_runs="${busy_runs:-$runs}"
[[ "$busy_runs" =~ ^(0|[1-9][0-9]*)$ ]] || { echo "--busy-runs needs a count" >&2; exit 2; }
[ -z "$baseline" ] || [ -f "$baseline" ] || { echo "no such program: $baseline" >&2; exit 2; }

parvola_install_missing
parvola_build i686 >&2
parvola_build x86_64 >&2
parvola_ensure_display
program="$parvola_root/build/x86_64/Parvola95.exe"
wine_run="$parvola_root/tools/wine-run.sh"

# The benchmark's bare copy loop, for the program's target and run under the same Wine.
bare_copy="$parvola_root/build/bench/BareCopy.exe"
if [ ! "$bare_copy" -nt "$parvola_root/bench/BareCopy.cpp" ]; then
  mkdir -p "$(dirname "$bare_copy")"
  x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -Werror -static "$parvola_root/bench/BareCopy.cpp" \
    -o "$bare_copy" >&2
fi

# A prefix of the benchmark's own, so that its runs leave the test prefix's settings and
# registration alone. Its windows are unmanaged: the headless display has no window
# manager, and Wine waits two seconds for one whenever a managed window that was shown
# goes away, which would add 4 s to every unattended run (see the note printed below).
export WINEPREFIX="${PARVOLA_BENCH_PREFIX:-$parvola_root/build/x86_64/wine-bench}"
# One persistent server for every run, so that no run pays for starting it.
parvola_start_headless_wine
if [ -n "$parvola_wineserver_pid" ]; then
  server_note="persistent wineserver started for the benchmark"
else
  server_note="persistent wineserver already running in this prefix"
fi

# The server started above and the display end with the script (the set-up's exit
# commands): the server by Wine's own kill, which takes the prefix's programs with it.
work="$(mktemp -d "${TMPDIR:-/tmp}/parvola-bench.XXXXXX")"
parvola_at_exit 'rm -rf "$work"'

if [ "$cold" = 1 ] && ! (sync && echo 3 > /proc/sys/vm/drop_caches) 2>/dev/null; then
  cold=0 cache_note="page caches cannot be dropped here: all runs are warm-cache"
elif [ "$cold" = 1 ]; then
  cache_note="page caches dropped before every timed step (source read from disk)"
else
  cache_note="warm cache: the source stays in memory between steps"
fi
settle() {
  sync
  if [ "$cold" = 1 ]; then echo 3 > /proc/sys/vm/drop_caches; fi
}

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

windows_path() { "$wine_run" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# The machine's load beside the benchmark, at its start and its end: a shared machine's
# figures are read with it.
load_at_start=$(cut -d' ' -f1 /proc/loadavg)

echo "Creating $size_mib MiB of random data in $work ..." >&2
source="$work/data.bin"
head -c $((size_mib * 1048576)) /dev/urandom > "$source"
bytes=$(stat -c %s "$source")
large_piece=$((100 * 1048576)) floppy_piece=1457664
large_pieces=$(( (bytes + large_piece - 1) / large_piece ))
source_win="$(windows_path "$source")"
work_win="$(windows_path "$work")"

# Nanoseconds of the clock; seconds of a step are kept per label in $work/times.
now() { date +%s%N; }
record() { echo "$1 $(( $2 - $3 ))" >> "$work/times"; }

# The pieces in folder $1 must be the source cut into pieces of $2 bytes named data.000, ...
check_pieces() {
  local folder="$1" piece_bytes="$2" expected index=0 name size
  expected=$(( (bytes + piece_bytes - 1) / piece_bytes ))
  for ((index = 0; index < expected; index++)); do
    name="$folder/$(printf 'data.%03d' "$index")"
    [ -f "$name" ] || fail "$name is missing"
    size=$(stat -c %s "$name")
    if ((index < expected - 1)); then ((size == piece_bytes)) || fail "$name has $size bytes"; fi
    cmp -s -i "$((index * piece_bytes)):0" -n "$size" "$source" "$name" || fail "$name differs from the source"
  done
  [ ! -e "$folder/$(printf 'data.%03d' "$expected")" ] || fail "$folder has too many pieces"
  cmp -s <(cat "$folder"/data.[0-9][0-9][0-9]) "$source" || fail "the pieces in $folder do not add up to the source"
}

check_copy() {
  cmp -s "$1" "$source" || fail "$1 differs from the source"
}

fresh() { rm -rf "${work:?}/$1"; mkdir "$work/$1"; }

# The recovery set in folder $1: the info file's <PAR2> line gives the slice size and the
# number of volume files, the volumes' names "data.volFIRST+COUNT.par2" the recovery
# slices. Sets slice_bytes, volume_count and recovery_slices.
read_recovery_set() {
  local line volume count
  line=$(grep -a -o '<PAR2>[0-9]* [0-9]*' "$1/data.Split") || fail "$1/data.Split has no <PAR2> line"
  read -r slice_bytes volume_count <<< "${line#<PAR2>}"
  [ -s "$1/data.par2" ] || fail "$1 has no index file data.par2"
  recovery_slices=0 count=0
  for volume in "$1"/data.vol*+*.par2; do
    [ -s "$volume" ] || fail "$1 has no volume files"
    volume="${volume##*+}"
    recovery_slices=$((recovery_slices + 10#${volume%.par2})) count=$((count + 1))
  done
  ((count == volume_count)) || fail "$1 has $count volume files, its info file says $volume_count"
}

# The recovery slice packets of a PAR 2.0 file, one line each: exponent, offset, length.
# The file is walked packet by packet: magic "PAR2\0PKT", the length at 8, the type at 48.
recovery_packets() {  # file
  local file="$1" size offset=0 header length
  size=$(stat -c %s "$file")
  while ((offset < size)); do
    header=$(od -An -tx1 -v -j "$offset" -N64 "$file" | tr -d ' \n')
    [ "${header:0:16}" = 5041523200504b54 ] || fail "$file: no packet at byte $offset"
    length=$(od -An -tu8 -j "$((offset + 8))" -N8 "$file" | tr -d ' ')
    ((length >= 64 && length % 4 == 0)) || fail "$file: a packet of $length bytes at byte $offset"
    if [ "${header:96:32}" = 50415220322e300052656376536c6963 ]; then
      echo "$(od -An -tu4 -j "$((offset + 64))" -N4 "$file" | tr -d ' ') $offset $length"
    fi
    offset=$((offset + length))
  done
}

# par2's recovery slices (volume $2) must be the program's (volume $1) byte for byte, every
# packet whole: the same input slices and exponents give the same bytes and packet hashes.
check_same_recovery() {
  local program_packets par2_packets index exponent offset length par2_exponent par2_offset par2_length
  mapfile -t program_packets < <(recovery_packets "$1" | sort -n)
  mapfile -t par2_packets < <(recovery_packets "$2" | sort -n)
  ((${#program_packets[@]} == recovery_slices && ${#par2_packets[@]} == recovery_slices)) ||
    fail "recovery slices: ${#program_packets[@]} from the program, ${#par2_packets[@]} from par2, $recovery_slices expected"
  for ((index = 0; index < recovery_slices; index++)); do
    read -r exponent offset length <<< "${program_packets[index]}"
    read -r par2_exponent par2_offset par2_length <<< "${par2_packets[index]}"
    if [ "$exponent $length" != "$par2_exponent $par2_length" ] ||
       ! cmp -s -i "$offset:$par2_offset" -n "$length" "$1" "$2"; then
      fail "recovery slice $exponent of the program differs from par2's"
    fi
  done
}

# The set in folder $1 must pass par2's own verification.
check_with_par2() {
  (cd "$1" && par2 verify -q data.par2 >/dev/null) || fail "par2 verify finds fault with the set in $1"
}

# The program's split into folder $3, pieces of $4 bytes, with the switches that follow,
# and its restore, both unattended with the progress hidden (the run that opens no window,
# like the bare loop); Wine's start-up and shutdown included.
program_split() {  # exe label folder piece-bytes switch...
  local exe="$1" label="$2" folder="$3" piece_bytes="$4" start
  shift 4
  fresh "$folder"
  settle
  start=$(now)
  timeout 600 "$wine_run" "$exe" /s "$source_win" "$@" /nd /na "$work_win\\$folder" >/dev/null 2>&1 ||
    fail "$label ended with status $?"
  record "$label" "$(now)" "$start"
  check_pieces "$work/$folder" "$piece_bytes"
  [ -s "$work/$folder/data.Split" ] || fail "$label wrote no info file"
}
program_restore() {  # exe label info-folder
  fresh restored
  settle
  local start; start=$(now)
  timeout 600 "$wine_run" "$1" /u "$work_win\\$3\\data.Split" /nd /na "$work_win\\restored" >/dev/null 2>&1 ||
    fail "$2 ended with status $?"
  record "$2" "$(now)" "$start"
  check_copy "$work/restored/data.bin"
}
# The restore of the recovery split's pieces with one whole piece (the middle one)
# deleted: unattended on a fixed disk the program sets it aside without a question and
# rebuilds it from the recovery set. The piece comes back for the next round.
program_restore_lost_piece() {  # exe label
  local lost; lost="$work/recovery/$(printf 'data.%03d' $(( (bytes + large_piece - 1) / large_piece / 2 )))"
  mv "$lost" "$work/lost-piece"
  program_restore "$1" "$2" recovery
  mv "$work/lost-piece" "$lost"
}

# The bare loop's split of the source into folder bare (pieces of 100 MiB and the small file
# after them), and its restore of the program's pieces in folder pieces, the same files
# that the program's restore reads; its whole process timed, as the program's is.
bare_split() {  # label
  fresh bare
  settle
  local start; start=$(now)
  timeout 600 "$wine_run" "$bare_copy" split "$source_win" "$work_win\\bare\\data" "$large_piece" \
    >/dev/null || fail "$1 ended with status $?"
  record "$1" "$(now)" "$start"
  check_pieces "$work/bare" "$large_piece"
}
bare_restore() {  # label
  fresh restored
  settle
  local start; start=$(now)
  timeout 600 "$wine_run" "$bare_copy" restore "$work_win\\pieces\\data" "$large_pieces" \
    "$work_win\\restored\\data.bin" >/dev/null || fail "$1 ended with status $?"
  record "$1" "$(now)" "$start"
  check_copy "$work/restored/data.bin"
}

# The program's step and the bare loop's, one right after the other, each from an empty
# folder and the caches as the mode says; odd rounds start with the program, even rounds
# with the bare loop, so that neither always runs second. The labels get the suffix.
program_pieces() { program_split "$program" "program_split$1" pieces "$large_piece" /nm 100 /or; }
split_pair() {  # round suffix
  if (($1 % 2)); then program_pieces "$2"; bare_split "bare_split$2"
  else bare_split "bare_split$2"; program_pieces "$2"; fi
}
restore_pair() {  # round suffix
  if (($1 % 2)); then program_restore "$program" "program_restore$2" pieces; bare_restore "bare_restore$2"
  else bare_restore "bare_restore$2"; program_restore "$program" "program_restore$2" pieces; fi
}

# par2 create over the recovery split's pieces and info file (hard links, in a folder of
# their own), at the program's slice size and recovery slice count, in one volume.
par2_create() {  # label par2-option...
  local label="$1" start
  shift
  fresh par2
  ln "$work/recovery"/data.[0-9][0-9][0-9] "$work/recovery/data.Split" "$work/par2/"
  settle
  start=$(now)
  (cd "$work/par2" && par2 create -q -q -s"$slice_bytes" -c"$recovery_slices" -n1 "$@" data.par2 \
     data.[0-9][0-9][0-9] data.Split >/dev/null) || fail "par2 create $* ended with status $?"
  record "$label" "$(now)" "$start"
  check_same_recovery "$(echo "$work"/recovery/data.vol*.par2)" "$(echo "$work"/par2/data.vol*.par2)"
}

for ((round = 1; round <= runs; round++)); do
  echo "Round $round of $runs ..." >&2
  split_pair "$round" ""
  program_split "$program" program_split_recovery recovery "$large_piece" /nm 100 /or /of
  read_recovery_set "$work/recovery"
  if ((round == 1)); then check_with_par2 "$work/recovery"; fi
  fresh split
  settle
  start=$(now); split -b 100M -d -a 3 "$source" "$work/split/data."; record tool_split "$(now)" "$start"
  check_pieces "$work/split" "$large_piece"

  par2_create par2_one_thread -t1
  par2_create par2_default_threads

  program_split "$program" program_floppy_split floppy "$floppy_piece" /n14 /or
  program_split "$program" program_floppy_split_recovery floppy "$floppy_piece" /n14 /or /of
  if ((round == 1)); then check_with_par2 "$work/floppy"; fi

  restore_pair "$round" ""
  program_restore_lost_piece "$program" program_restore_lost_piece
  fresh cat
  settle
  start=$(now); cat "$work"/split/data.[0-9][0-9][0-9] > "$work/cat/data.bin"; record tool_cat "$(now)" "$start"
  check_copy "$work/cat/data.bin"

  if [ -n "$baseline" ]; then
    program_split "$baseline" baseline_split pieces "$large_piece" /nm 100 /or
    program_restore "$baseline" baseline_restore pieces
  fi

  fresh cp
  settle
  start=$(now); cp "$source" "$work/cp/data.bin"; record tool_cp "$(now)" "$start"
  check_copy "$work/cp/data.bin"
done

# The same pairs again while one core is kept busy: a loop of the shell's own that runs
# until it is stopped here or by the script's end, and ends by itself once the script is
# gone, however it went.
busy_pid=""
stop_busy_core() {
  [ -n "$busy_pid" ] || return 0
  kill "$busy_pid" 2>/dev/null || true
  wait "$busy_pid" 2>/dev/null || true
  busy_pid=""
}
if ((busy_runs > 0)); then
  parvola_at_exit stop_busy_core
  # shellcheck disable=SC2016  # $0 is the loop's own argument, the script's process id
  sh -c 'while kill -0 "$0" 2>/dev/null; do :; done' "$$" &
  busy_pid=$!
  for ((round = 1; round <= busy_runs; round++)); do
    echo "Round $round of $busy_runs with one core busy ..." >&2
    split_pair "$round" _busy
    restore_pair "$round" _busy
  done
  stop_busy_core
fi
rm -rf "$work/floppy" "$work/par2" "$work/bare"

# The program's peak memory during one split of the file into 100 MiB pieces: the
# high-water mark of its resident set (its peak working set, with the pages of Wine's own
# libraries) and the most private (anonymous) memory it held, read from /proc every 20 ms
# while it runs. wine-run.sh hands its process over to Wine's loader, which becomes the
# program's.
measure_memory() {  # exe label switch...
  local exe="$1" label="$2" peak=0 private=0 resident anonymous pid
  shift 2
  fresh measured
  settle
  "$wine_run" "$exe" /s "$source_win" /nm 100 /or "$@" /nd /na "$work_win\\measured" >/dev/null 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    read -r resident anonymous < <(awk '/^VmHWM:/ {h = $2} /^RssAnon:/ {a = $2} END {print h + 0, a + 0}' \
                                     "/proc/$pid/status" 2>/dev/null || echo "0 0")
    if ((resident > peak)); then peak=$resident; fi
    if ((anonymous > private)); then private=$anonymous; fi
    sleep 0.02
  done
  wait "$pid" || fail "$label ended with status $?"
  check_pieces "$work/measured" "$large_piece"
  echo "$label $peak $private" >> "$work/memory"
}
echo "Measuring the peak memory of a split without and with recovery data ..." >&2
measure_memory "$program" program
measure_memory "$program" program_recovery /of
if [ -n "$baseline" ]; then measure_memory "$baseline" baseline; fi
rm -rf "$work/measured"

# Wine's own cost: an unattended split of a 1-byte file, start to end, with the caches
# as the timed steps find them (dropped, Wine starts from disk too).
head -c 1 /dev/urandom > "$work/one.bin"
one_win="$(windows_path "$work/one.bin")"
for ((round = 1; round <= runs; round++)); do
  fresh one
  settle
  start=$(now)
  "$wine_run" "$program" /s "$one_win" /nm 100 /or /nd /na "$work_win\\one" >/dev/null 2>&1
  record startup_split "$(now)" "$start"
  cmp -s "$work/one/one.000" "$work/one.bin" || fail "the 1-byte split is wrong"
done

# Start to dialog: the program without arguments until its window is on the screen.
dialog_shown() {
  local id
  id=$(xwininfo -root -tree 2>/dev/null | awk '/"Parvola 95 \(Olvanta\)"/ {print $1; exit}')
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'
}
for ((round = 1; round <= runs; round++)); do
  start=$(now)
  "$wine_run" "$program" >/dev/null 2>&1 &
  pid=$!
  shown=0
  for ((poll = 0; poll < 3000; poll++)); do
    if dialog_shown; then shown=1; break; fi
    sleep 0.01
  done
  record start_to_dialog "$(now)" "$start"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ "$shown" = 1 ] || fail "the dialog did not appear within 30 s"
done

stripped_size() {  # exe strip-tool
  local copy="$work/stripped.exe"
  cp "$1" "$copy" && "$2" "$copy" && stat -c %s "$copy"
}
i686_size=$(stripped_size "$parvola_root/build/i686/Parvola95.exe" i686-w64-mingw32-strip)
x64_size=$(stripped_size "$program" x86_64-w64-mingw32-strip)

# min and median seconds of every label, then the table.
awk -v mib="$size_mib" -v runs="$runs" -v busy_runs="$busy_runs" -v cores="$(nproc)" \
    -v load_start="$load_at_start" -v load_end="$(cut -d' ' -f1 /proc/loadavg)" \
    -v server="$server_note" -v cache="$cache_note" \
    -v i686="$i686_size" -v x64="$x64_size" -v slice="$slice_bytes" -v slices="$recovery_slices" '
  FILENAME ~ /memory$/ { peak[$1] = $2 / 1024; private[$1] = $3 / 1024; next }
  { t[$1] = t[$1] " " $2 / 1e9 }
  # Sorts the n values of v in place and returns their median.
  function sorted_median(v, n,   i, j, x) {
    for (i = 2; i <= n; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  function stats(label,   n, v) {
    n = split(substr(t[label], 2), v, " ")
    med[label] = sorted_median(v, n)
    lo[label] = v[1]
    hi[label] = v[n]
  }
  # The bare loop'"'"'s time over the program'"'"'s in each round (the times of a label are in the
  # order of the rounds, and a round times both): sets pairs, their median, lowest and highest.
  function paired(bare, program,   n, b, p, r, i) {
    n = split(substr(t[bare], 2), b, " ")
    pairs = split(substr(t[program], 2), p, " ") == n ? n : 0
    for (i = 1; i <= pairs; i++) r[i] = b[i] / p[i]
    if (pairs) { pair_med = sorted_median(r, pairs); pair_lo = r[1]; pair_hi = r[pairs] }
  }
  function ceiling(name, bare, program) {
    paired(bare, program)
    if (pairs) printf "  %-26s %6.2f   (%.2f to %.2f in %d round%s)\n", name, pair_med, pair_lo, pair_hi,
                      pairs, (pairs > 1 ? "s" : "")
  }
  # A program step is also shown net of Wine: its median less that of the 1-byte split. A step
  # with one core busy is compared with nothing that ran without that load.
  function row(name, label, peer,   rate, text, net, busy) {
    if (!(label in t)) return
    stats(label)
    busy = label ~ /_busy$/
    rate = mib / med[label]
    text = sprintf("%-38s %7.3f %7.3f %7.2f %9.0f", name, lo[label], med[label], hi[label] / med[label], rate)
    text = text sprintf(peer == "" ? "%9s" : "%9.2f", peer == "" ? "-" : med[peer] / med[label])
    text = text sprintf(busy ? " %8s" : " %8.2f", busy ? "-" : med["tool_cp"] / med[label])
    net = med[label] - med["startup_split"]
    if (label !~ /^(program|baseline)_/ || busy) text = text sprintf(" %7s %9s", "-", "-")
    else text = text sprintf(" %7.3f %9s", net, peer != "" && net > 0 ? sprintf("%.2f", med[peer] / net) : "-")
    print text
  }
  # The time of a split'"'"'s recovery data: its median split with it less the one without it.
  function recovery_part(with, without) {
    stats(with); stats(without)
    return med[with] - med[without]
  }
  # A peer'"'"'s time against the recovery data'"'"'s, with the goal for the ratio of their speeds:
  # at least the ratio given, or above it when it is strict.
  function against(name, label, part, least, strict, goal,   ratio, met) {
    stats(label)
    ratio = part > 0 ? med[label] / part : 0
    met = strict ? (ratio > least) : (ratio >= least)
    printf "  %-40s %7.3f s %7.0f MiB/s   Parvola 95 at %s its speed (goal: %s; %s)\n", name, med[label],
           mib / med[label], (ratio > 0 ? sprintf("%.2fx", ratio) : "-"), goal, (met ? "met" : "NOT met")
  }
  function memory(name, label) {
    if (label in peak)
      printf "  %-36s %7.1f MiB peak working set (resident, Wine included), %.1f MiB of it private\n",
             name, peak[label], private[label]
  }
  END {
    stats("tool_cp"); stats("tool_split"); stats("tool_cat"); stats("startup_split")
    printf "\nParvola 95 benchmark: %d MiB of random data, %d runs each; %s; %s.\n", mib, runs, cache, server
    printf "Load average (1 minute) of the machine\047s %d cores: %s at the start, %s at the end.\n", cores,
           load_start, load_end
    printf "Program times include Wine start-up and shutdown; \"net\" takes off the median of the 1-byte\n"
    printf "split (%.3f s).", med["startup_split"]
    printf " Ratios are speeds (peer time / step time), from the medians;\n"
    printf "max/med is the slowest run over the median, where a run that stalled shows.\n"
    if (busy_runs)
      printf "\"One core busy\": %d more rounds of those steps while a shell loop kept one core busy.\n",
             busy_runs
    printf "\n"
    printf "%-38s %7s %7s %7s %9s %9s %8s %7s %9s\n", "step", "min s", "med s", "max/med", "MiB/s", "to peer",
           "to cp", "net s", "net/peer"
    row("Parvola 95 split (/nm 100 /or)", "program_split", "tool_split")
    if ("baseline_split" in t) row("  baseline build split", "baseline_split", "tool_split")
    row("Parvola 95 split (/nm 100 /or /of)", "program_split_recovery", "program_split")
    row("split -b 100M -d -a 3", "tool_split", "")
    row("Parvola 95 split (/n14 /or)", "program_floppy_split", "")
    row("Parvola 95 split (/n14 /or /of)", "program_floppy_split_recovery", "program_floppy_split")
    row("Parvola 95 restore (/u)", "program_restore", "tool_cat")
    if ("baseline_restore" in t) row("  baseline build restore", "baseline_restore", "tool_cat")
    row("Parvola 95 restore, 1 piece rebuilt", "program_restore_lost_piece", "program_restore")
    row("cat of the pieces", "tool_cat", "")
    row("bare Win32 loop split (1 MiB blocks)", "bare_split", "tool_split")
    row("bare Win32 loop restore (1 MiB blocks)", "bare_restore", "tool_cat")
    row("Parvola 95 split, one core busy", "program_split_busy", "")
    row("bare Win32 loop split, one core busy", "bare_split_busy", "")
    row("Parvola 95 restore, one core busy", "program_restore_busy", "")
    row("bare Win32 loop restore, one core busy", "bare_restore_busy", "")
    row("par2 create -t1", "par2_one_thread", "")
    row("par2 create (default threads)", "par2_default_threads", "")
    row("cp (ceiling)", "tool_cp", "")
    stats("start_to_dialog")

    printf "\nAgainst the bare Win32 copy loop (ReadFile and WriteFile of 1 MiB blocks under the same\n"
    printf "Wine, the platform\047s ceiling): in each round the bare loop\047s time over the program\047s,\n"
    printf "start-up included in both; the median over the rounds. 1.00: as fast as the ceiling;\n"
    printf "higher is faster.\n"
    ceiling("split (/nm 100 /or)", "bare_split", "program_split")
    ceiling("split, one core busy", "bare_split_busy", "program_split_busy")
    ceiling("restore (/u)", "bare_restore", "program_restore")
    ceiling("restore, one core busy", "bare_restore_busy", "program_restore_busy")

    part = recovery_part("program_split_recovery", "program_split")
    printf "\nRecovery data of one piece\047s worth for %d MiB of 100 MiB pieces: %d recovery slices of %d bytes,\n",
           mib, slices, slice
    printf "as the program chose them and par2 create was given them (-s%d -c%d -n1)\n", slice, slices
    printf "  %-40s %7.3f s %7s MiB/s\n", "Parvola 95 (split /of less split, medians)", part,
           (part > 0 ? sprintf("%.0f", mib / part) : "-")
    against("par2 create -t1", "par2_one_thread", part, 3, 0, "at least 3x")
    against("par2 create (default threads)", "par2_default_threads", part, 1, 1, "faster than it")
    printf "  %-40s %7.3f s\n", "1.44 MB pieces (split /of less split)",
           recovery_part("program_floppy_split_recovery", "program_floppy_split")

    printf "\nEvery piece and restored file matched the source byte for byte; par2\047s recovery slices\n"
    printf "matched the program\047s byte for byte, and par2 verify accepted the program\047s sets.\n"
    printf "\nPeak memory of the program during one split of the %d MiB file into 100 MiB pieces\n", mib
    memory("Parvola 95", "program")
    memory("Parvola 95 with recovery data (/of)", "program_recovery")
    memory("baseline build", "baseline")
    # The recovery data reads through two copy buffers of its own, 1 MiB each: that of the strips
    # and the one of the thread that takes the MD5 of each piece.
    extra = private["program_recovery"] - private["program"]
    printf "  recovery data: %.1f MiB private beyond the split without it, %.1f MiB beyond its two\n", extra, extra - 2
    printf "  read buffers of 1 MiB (goal: at most 64 MiB beyond the copy buffers; %s)\n", (extra - 2 <= 64 ? "met" : "NOT met")
    printf "\nFootprint\n"
    printf "  Parvola95.exe i686 (stripped):    %7d bytes (%.1f KiB of 240 KiB)\n", i686, i686 / 1024
    printf "  Parvola95.exe x86_64 (stripped):  %7d bytes (%.1f KiB)\n", x64, x64 / 1024
    printf "  start to dialog under Wine:       %7.3f s median (min %.3f, max/med %.2f)\n",
           med["start_to_dialog"], lo["start_to_dialog"], hi["start_to_dialog"] / med["start_to_dialog"]
    printf "  unattended split of 1 byte:       %7.3f s median (min %.3f, max/med %.2f): " \
           "Wine start-up and shutdown\n", med["startup_split"], lo["startup_split"],
           hi["startup_split"] / med["startup_split"]
    printf "  (with managed windows and no window manager Wine waits 2 s at each of the two windows)\n"
  }' "$work/memory" "$work/times"
