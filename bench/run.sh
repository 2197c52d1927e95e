#!/bin/bash
# Throughput of Parvola 95 against the platform's own tools, and the program's footprint.
#
#   bench/run.sh [--quick] [--warm] [--runs N] [--baseline OTHER.exe]
#
# Times, N times each (default 5), on a file of incompressible data (1 GiB, 100 MiB with
# --quick) in one temporary folder: the unattended hidden split into 100 MiB pieces with
# the info file against `split -b 100M -d -a 3`, the same split with the repair file
# against the one without it, the unattended restore of those pieces
# against `cat`, and `cp` of the file as the machine's ceiling. Every output is compared
# byte for byte with the source; a wrong byte makes the run fail. Page caches are dropped
# before every timed step when the system allows it (--warm keeps them). --baseline times
# a second build of the program in the same rounds, for before/after figures. The program's
# steps are also shown net of Wine's start-up and shutdown (the median of an unattended
# split of 1 byte), and one more split of the file measures the program's peak memory.
set -euo pipefail
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$parvola_root/tools/setup.sh"

size_mib=1024 runs=5 cold=1 baseline=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) size_mib=100 ;;
    --warm) cold=0 ;;
    --runs) runs="$2"; shift ;;
    --baseline) baseline="$(realpath "$2")"; shift ;;
    *) echo "usage: bench/run.sh [--quick] [--warm] [--runs N] [--baseline OTHER.exe]" >&2; exit 2 ;;
  esac
  shift
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "--runs needs a positive count" >&2; exit 2; }
[ -z "$baseline" ] || [ -f "$baseline" ] || { echo "no such program: $baseline" >&2; exit 2; }

parvola_install_missing
parvola_build i686 >&2
parvola_build x86_64 >&2
parvola_ensure_display
program="$parvola_root/build/x86_64/Parvola95.exe"
wine_run="$parvola_root/tools/wine-run.sh"

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

echo "Creating $size_mib MiB of random data in $work ..." >&2
source="$work/data.bin"
head -c $((size_mib * 1048576)) /dev/urandom > "$source"
bytes=$(stat -c %s "$source")
piece_bytes=$((100 * 1048576))
source_win="$(windows_path "$source")"
work_win="$(windows_path "$work")"

# Nanoseconds of the clock; seconds of a step are kept per label in $work/times.
now() { date +%s%N; }
record() { echo "$1 $(( $2 - $3 ))" >> "$work/times"; }

# The pieces in folder $1 must be the source cut into 100 MiB pieces named data.000, ...
check_pieces() {
  local folder="$1" expected=$(( (bytes + piece_bytes - 1) / piece_bytes )) index=0 name size
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

fresh() { rm -rf "$work/$1"; mkdir "$work/$1"; }

# The program's split and restore, Wine's start-up and shutdown included.
program_split() {  # exe label
  fresh pieces
  settle
  local start; start=$(now)
  timeout 600 "$wine_run" "$1" /s "$source_win" /nm 100 /or /nd /na "$work_win\\pieces" >/dev/null 2>&1 ||
    fail "$2 ended with status $?"
  record "$2" "$(now)" "$start"
  check_pieces "$work/pieces"
  [ -s "$work/pieces/data.Split" ] || fail "$2 wrote no info file"
}
# The same split with the repair file too, against the split without it.
program_split_repair() {  # exe label
  fresh repaired
  settle
  local start; start=$(now)
  timeout 600 "$wine_run" "$1" /s "$source_win" /nm 100 /or /of /nd /na "$work_win\\repaired" >/dev/null 2>&1 ||
    fail "$2 ended with status $?"
  record "$2" "$(now)" "$start"
  check_pieces "$work/repaired"
  [ -s "$work/repaired/data.Fix" ] || fail "$2 wrote no repair file"
  rm -rf "$work/repaired"
}
program_restore() {  # exe label
  fresh restored
  settle
  local start; start=$(now)
  timeout 600 "$wine_run" "$1" /u "$work_win\\pieces\\data.Split" /nd "$work_win\\restored" >/dev/null 2>&1 ||
    fail "$2 ended with status $?"
  record "$2" "$(now)" "$start"
  check_copy "$work/restored/data.bin"
}

for ((round = 1; round <= runs; round++)); do
  echo "Round $round of $runs ..." >&2
  program_split "$program" program_split
  program_split_repair "$program" program_split_repair
  fresh split
  settle
  start=$(now); split -b 100M -d -a 3 "$source" "$work/split/data."; record tool_split "$(now)" "$start"
  check_pieces "$work/split"

  program_restore "$program" program_restore
  fresh cat
  settle
  start=$(now); cat "$work"/split/data.[0-9][0-9][0-9] > "$work/cat/data.bin"; record tool_cat "$(now)" "$start"
  check_copy "$work/cat/data.bin"

  if [ -n "$baseline" ]; then
    program_split "$baseline" baseline_split
    program_restore "$baseline" baseline_restore
  fi

  fresh cp
  settle
  start=$(now); cp "$source" "$work/cp/data.bin"; record tool_cp "$(now)" "$start"
  check_copy "$work/cp/data.bin"
done

# The program's peak memory during one split of the file: the high-water mark of its
# resident set (its peak working set, with the pages of Wine's own libraries) and the
# most private (anonymous) memory it held, read from /proc every 20 ms while it runs.
# wine-run.sh hands its process over to Wine's loader, which becomes the program's.
measure_memory() {  # exe label
  fresh pieces
  settle
  "$wine_run" "$1" /s "$source_win" /nm 100 /or /nd /na "$work_win\\pieces" >/dev/null 2>&1 &
  local pid=$! peak=0 private=0 resident anonymous
  while kill -0 "$pid" 2>/dev/null; do
    read -r resident anonymous < <(awk '/^VmHWM:/ {h = $2} /^RssAnon:/ {a = $2} END {print h + 0, a + 0}' \
                                     "/proc/$pid/status" 2>/dev/null || echo "0 0")
    if ((resident > peak)); then peak=$resident; fi
    if ((anonymous > private)); then private=$anonymous; fi
    sleep 0.02
  done
  wait "$pid" || fail "$2 ended with status $?"
  check_pieces "$work/pieces"
  echo "$2 $peak $private" >> "$work/memory"
}
echo "Measuring the peak memory of a split ..." >&2
measure_memory "$program" program
if [ -n "$baseline" ]; then measure_memory "$baseline" baseline; fi

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
awk -v mib="$size_mib" -v runs="$runs" -v server="$server_note" -v cache="$cache_note" \
    -v i686="$i686_size" -v x64="$x64_size" '
  FILENAME ~ /memory$/ { peak[$1] = $2 / 1024; private[$1] = $3 / 1024; next }
  { t[$1] = t[$1] " " $2 / 1e9 }
  function stats(label,   n, v, i, j, x) {
    n = split(substr(t[label], 2), v, " ")
    for (i = 2; i <= n; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
    lo[label] = v[1]
    med[label] = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  # A program step (with a peer) also net of Wine: its median less that of the 1-byte split.
  function row(name, label, peer,   rate, text, net) {
    stats(label)
    rate = mib / med[label]
    text = sprintf("%-34s %7.3f %7.3f %9.0f", name, lo[label], med[label], rate)
    text = text sprintf(peer == "" ? "%9s" : "%9.2f", peer == "" ? "-" : med[peer] / med[label])
    text = text sprintf(" %8.2f", med["tool_cp"] / med[label])
    net = med[label] - med["startup_split"]
    if (peer == "") text = text sprintf(" %7s %9s", "-", "-")
    else text = text sprintf(" %7.3f %9s", net, net > 0 ? sprintf("%.2f", med[peer] / net) : "-")
    print text
  }
  function memory(name, label) {
    if (label in peak)
      printf "  %-32s %7.1f MiB peak working set (resident, Wine included), %.1f MiB of it private\n",
             name, peak[label], private[label]
  }
  END {
    stats("tool_cp"); stats("tool_split"); stats("tool_cat"); stats("startup_split")
    printf "\nParvola 95 benchmark: %d MiB of random data, %d runs each; %s; %s.\n", mib, runs, cache, server
    printf "Program times include Wine start-up and shutdown; \"net\" takes off the median of the 1-byte\n"
    printf "split (%.3f s).", med["startup_split"]
    printf " Ratios are speeds (peer time / step time), from the medians.\n\n"
    printf "%-34s %7s %7s %9s %9s %8s %7s %9s\n", "step", "min s", "med s", "MiB/s", "to peer", "to cp",
           "net s", "net/peer"
    row("Parvola 95 split (/nm 100 /or)", "program_split", "tool_split")
    if ("baseline_split" in t) row("  baseline build split", "baseline_split", "tool_split")
    row("Parvola 95 split (/or /of)", "program_split_repair", "program_split")
    row("split -b 100M -d -a 3", "tool_split", "")
    row("Parvola 95 restore (/u)", "program_restore", "tool_cat")
    if ("baseline_restore" in t) row("  baseline build restore", "baseline_restore", "tool_cat")
    row("cat of the pieces", "tool_cat", "")
    row("cp (ceiling)", "tool_cp", "")
    stats("start_to_dialog")
    printf "\nEvery output matched the source byte for byte.\n"
    printf "\nPeak memory of the program during one split of the %d MiB file\n", mib
    memory("Parvola 95", "program")
    memory("baseline build", "baseline")
    printf "\nFootprint\n"
    printf "  Parvola95.exe i686 (stripped):    %7d bytes (%.1f KiB of 224 KiB)\n", i686, i686 / 1024
    printf "  Parvola95.exe x86_64 (stripped):  %7d bytes (%.1f KiB)\n", x64, x64 / 1024
    printf "  start to dialog under Wine:       %7.3f s median (min %.3f)\n", med["start_to_dialog"], lo["start_to_dialog"]
    printf "  unattended split of 1 byte:       %7.3f s median (min %.3f): Wine start-up and shutdown\n",
           med["startup_split"], lo["startup_split"]
    printf "  (with managed windows and no window manager Wine waits 2 s at each of the two windows)\n"
  }' "$work/memory" "$work/times"
