#!/bin/bash
# run.sh as a user runs it from a terminal without a display:
#   launcher.sh WINE_PREFIX INTRUDER   (a prefix of this test's own, made on first use;
#                                        the Intruder.exe of tests/launcher/intruder)
# An unattended run that would wait for the user is refused before anything starts;
# one that stops on a message box or leaves its dialog open is ended with the
# window's text; one that crashes ends with status 3 and one line; good ones split
# and restore as before. On a real display (when the test has one) a waiting program
# is left alone, and the status it ends with is passed on.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
prefix="$1"
intruder="$2"
work="$(mktemp -d)"
files="$work/files"   # all that run.sh may touch; its output goes beside
failures=0
RUN_LIMIT=60          # seconds; a run still going then has hung and is ended

# The piece that is made read-only must lose that again, or it cannot be removed.
cleanup() {
  chattr -i "$files/pieces/source.000" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# Starts run.sh in the background, in a process group of its own, so that a run
# that hangs can be ended with all it started (its display, its Wine processes).
# display: the DISPLAY to give it, empty for none.
start_run() {
  local display="$1" wine_prefix="$2"; shift 2
  local display_setting=(-u DISPLAY)
  [ -n "$display" ] && display_setting=("DISPLAY=$display")
  (cd "$files" && exec setsid env "${display_setting[@]}" WINEPREFIX="$wine_prefix" LC_ALL=C.UTF-8 \
    "$root/run.sh" "$@" >"$work/stdout" 2>"$work/stderr") &
  runner=$!
  run_start=$SECONDS
}

# Waits up to limit seconds for the run started last: its status in $status, its
# time in whole seconds in $seconds. A run still going is ended; false then.
finish_run() {
  local limit="$1"
  while kill -0 "$runner" 2>/dev/null && [ $((SECONDS - run_start)) -lt "$limit" ]; do sleep 0.2; done
  local still_going=0
  if kill -0 "$runner" 2>/dev/null; then
    kill -KILL -- "-$runner" 2>/dev/null
    still_going=1
  fi
  { wait "$runner"; } 2>/dev/null
  status=$?
  seconds=$((SECONDS - run_start))
  return $still_going
}

# run.sh without a display in the given Wine prefix, to its end.
launch() {
  start_run "" "$@"
  finish_run $RUN_LIMIT || fail "run.sh $*: still running after $RUN_LIMIT s"
}

expect_in_stderr() {  # case, expected text
  grep -qF -- "$2" "$work/stderr" || fail "$1: standard error lacks \"$2\": $(cat "$work/stderr")"
}

# An English text of the program's string table, its lines joined as the report shows them.
program_text() {
  sed -n "s/^ *$1 \"\(.*\)\"\$/\1/p" "$root/res/strings_en.rc" | sed 's/\\n/ /g'
}

windows_form() { local path="${1//\//\\}"; echo "Z:$path"; }

mkdir -p "$files/pieces" "$files/restored" "$files/long"
head -c 200000 /dev/urandom >"$files/source.bin"
source_sum="$(md5sum <"$files/source.bin")"

# Refused before the start. In a prefix that does not exist, any Wine start would
# have made it: its absence shows that neither Wine nor the program ran.
untouched="$work/no-prefix"
expect_refused() {  # case, expected text, run.sh's arguments
  local name="$1" expected="$2"; shift 2
  local listing_before
  listing_before="$(cd "$files" && find . | sort)"
  launch "$untouched" "$@"
  [ "$status" -eq 2 ] || fail "$name: status $status, not 2"
  expect_in_stderr "$name" "$expected"
  [[ "$(cat "$work/stderr")" == "Not started: "* ]] || fail "$name: no \"Not started: \" line"
  local lines
  lines="$(wc -l <"$work/stderr")"
  [ "$lines" -eq 1 ] || fail "$name: $lines lines on standard error, not one: $(cat "$work/stderr")"
  [ -e "$untouched" ] && fail "$name: Wine was started" && rm -rf "$untouched"
  [ "$(cd "$files" && find . | sort)" == "$listing_before" ] || fail "$name: files were written"
}
source_file="$files/source.bin"
not_unattended="the program would not run this command line unattended"
expect_refused "missing destination" "the destination folder does not exist (create it first): $files/out" \
  /s "$source_file" /nk 64 /nd /na "$files/out"
expect_refused "destination is a file" "the destination is not a folder: $source_file" \
  /s "$source_file" /nd "$source_file"
expect_refused "missing source" "the file to split does not exist: $files/missing.bin" \
  /s "$files/missing.bin" /nk 64 /nd /na "$files/pieces"
expect_refused "source is a folder" "the file to split is a folder: $files/pieces" \
  -s "$files/pieces" -nd "$files/restored"
expect_refused "missing info file" "neither as $files/pieces/source nor as $files/pieces/source.split" \
  /u "$files/pieces/source" /nd "$files/restored"
expect_refused "missing info file to check" "the info file to check does not exist" /t "$files/pieces/source" /nd
expect_refused "two size switches" "$not_unattended" /s "$source_file" /n14 /nk 64 /nd "$files/pieces"
expect_refused "value switch without its number" "$not_unattended" /s "$source_file" /nd "$files/pieces" /nk
expect_refused "a path in place of a size" "$not_unattended" /s "$source_file" /nk "$files/pieces" /nd
expect_refused "recovery data without its amount" "$not_unattended" /s "$source_file" /nd "$files/pieces" /nf
expect_refused "recovery data beyond 99 pieces' worth" "$not_unattended" /s "$source_file" /nf 100 /nd "$files/pieces"
expect_refused "third free argument" "$not_unattended" /s "$source_file" /nd "$files/pieces" "$files/restored"
expect_refused "relative file" "needs the file to split, restore or check, as an absolute path" \
  /s source.bin /nd "$files/pieces"

# The runs below start the program, in this test's own prefix. Its windows go
# unmanaged: with no window manager on the display, Wine would wait for one. Wine's
# crash dialog is on again, as in a new prefix: run.sh turns it off.
WINEPREFIX="$prefix" "$root/tools/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1 || fail "the test's Wine prefix cannot be made"
WINEPREFIX="$prefix" "$root/tools/wine-run.sh" reg delete 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /f \
  >/dev/null 2>&1
WINEPREFIX="$prefix" timeout 30 /usr/lib/wine/wineserver -w
grep -q ShowCrashDialog "$prefix/user.reg" && fail "the crash dialog cannot be turned on again in $prefix"

# A good unattended split with the progress window hidden, on run.sh's own display. The
# amount of recovery data brings the info file that the restore below starts from.
launch "$prefix" /s "$files/source.bin" /nk 64 /nf 3 /nd /na "$files/pieces"
[ "$status" -eq 0 ] || fail "good split: status $status: $(cat "$work/stderr")"
expect_in_stderr "good split" "private display"
expect_in_stderr "good split" "import -display :"
pieces=("$files"/pieces/source.0*)
[ ${#pieces[@]} -eq 4 ] || fail "good split: ${#pieces[@]} pieces, not 4 of 64 KiB for 200000 bytes"
[ "$(cat "${pieces[@]}" | md5sum)" == "$source_sum" ] || fail "good split: the pieces do not make the source"
[ "$(stat -c %s "${pieces[0]}")" -eq 65536 ] || fail "good split: the first piece is not 64 KiB"

# A restore from the info file named without its extension: Wine finds NAME.Split
# for the NAME.split that the program tries.
if [ -e "$files/pieces/source.Split" ]; then
  launch "$prefix" /u "$files/pieces/source" /nd "$files/restored"
  [ "$status" -eq 0 ] || fail "restore: status $status: $(cat "$work/stderr")"
  [ "$(md5sum <"$files/restored/source.bin")" == "$source_sum" ] ||
    fail "restore: the file differs from the source"
  # A check, the info file named the same way: run.sh looks for NAME.split too.
  launch "$prefix" /t "$files/pieces/source" /nd
  [ "$status" -eq 0 ] || fail "check: status $status: $(cat "$work/stderr")"
else
  fail "good split: no info file source.Split"
fi

# Waits up to limit seconds for a window of the run started last on DISPLAY, one whose
# name begins with the program's; false when none came. The display may show windows
# of other tests: the run's own belong to its process group.
await_window() {
  local limit="$1" window pid
  while [ $((SECONDS - run_start)) -lt "$limit" ]; do
    for window in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Parvola 95.*/\1/p'); do
      pid="$(xprop -id "$window" _NET_WM_PID | sed -n 's/.* = //p')"
      [ -n "$pid" ] && [ "$(ps -o pgid= -p "$pid" | tr -d ' ')" = "$runner" ] && return 0
    done
    sleep 0.5
  done
  return 1
}

# Does to the running program what a person or a fault would (close, fault).
intrude() {
  WINEPREFIX="$prefix" "$root/tools/wine-run.sh" "$intruder" "$1" Parvola95.exe </dev/null ||
    fail "Intruder $1 found no program to $1"
}

# A split that takes longer than the watch's patience, its progress window shown: the
# minimised dialog and the progress window are at work, not waiting. The source is sparse.
truncate -s 3G "$files/long.bin"
launch "$prefix" /s "$files/long.bin" /nm 100 /nd "$files/long"
[ "$status" -eq 0 ] || fail "long split: status $status: $(cat "$work/stderr")"
[ "$seconds" -ge 3 ] || fail "long split: it took $seconds s, no longer than the watch's patience"
long_pieces=("$files"/long/long.0*)
[ ${#long_pieces[@]} -eq 31 ] || fail "long split: ${#long_pieces[@]} pieces, not 31 of 100 MiB"
long_bytes=0
for piece in "${long_pieces[@]}"; do long_bytes=$((long_bytes + $(stat -c %s "$piece"))); done
[ "$long_bytes" -eq $((3 << 30)) ] || fail "long split: the pieces hold $long_bytes bytes, not 3 GiB"
rm -rf "$files/long"
mkdir "$files/long"

# The same split crashes: Wine's crash dialog would wait in a process of its own, which
# nobody answers; it is off, and the crash is told in one line.
start_run "" "$prefix" /s "$files/long.bin" /nm 100 /nd "$files/long"
for _ in $(seq 100); do [ -e "$files/long/long.000" ] && break; sleep 0.2; done
intrude fault
finish_run 30 || fail "crash: still running after 30 s"
[ "$status" -eq 3 ] || fail "crash: status $status: $(cat "$work/stderr")"
expect_in_stderr "crash" "Parvola95.exe crashed with exception 0xC0000005 (exit status 3)."
[ "$(grep -c crashed "$work/stderr")" -eq 1 ] || fail "crash: not one line: $(cat "$work/stderr")"
[ -s "$work/stdout" ] && fail "crash: the debugger's dump reached standard output: $(head -3 "$work/stdout")"
rm -rf "$files/long" "$files/long.bin"

# The split again onto a read-only first piece: the program asks whether to
# overwrite it, and nobody can answer.
chattr +i "$files/pieces/source.000" || fail "chattr +i is needed for a read-only piece"
piece_sum="$(md5sum <"$files/pieces/source.000")"
launch "$prefix" /s "$files/source.bin" /nk 64 /nd /na "$files/pieces"
[ "$status" -ne 0 ] && [ "$status" -ne 2 ] || fail "overwrite question: status $status"
[ "$seconds" -le 30 ] || fail "overwrite question: $seconds s to end"
overwrite="$(program_text IDS_OVERWRITE)"
piece="$(windows_form "$files/pieces/source.000")"
expect_in_stderr "overwrite question" "window \"Parvola 95\": ${overwrite%%%s*}$piece${overwrite#*%s}"
[ "$(md5sum <"$files/source.bin")" == "$source_sum" ] || fail "overwrite question: the source changed"
[ "$(md5sum <"$files/pieces/source.000")" == "$piece_sum" ] ||
  fail "overwrite question: the read-only piece changed"
chattr -i "$files/pieces/source.000"

# A destination in Windows form is the program's to judge: a missing folder leaves
# Split disabled, and the unattended dialog opens on the screen to wait.
missing_folder="$(windows_form "$files/nowhere")"
launch "$prefix" /s "$files/source.bin" /nk 64 /nd "$missing_folder"
[ "$status" -ne 0 ] && [ "$status" -ne 2 ] || fail "dialog left open: status $status"
[ "$seconds" -le 30 ] || fail "dialog left open: $seconds s to end"
expect_in_stderr "dialog left open" "window \"Parvola 95"
expect_in_stderr "dialog left open" "$missing_folder"
[ -e "$files/nowhere" ] && fail "dialog left open: the folder was made"

# The same on a real display: a person can answer there, so the dialog stays. When
# the person closes it, the run ends with the program's status: not started.
if [ -n "${DISPLAY:-}" ]; then
  start_run "$DISPLAY" "$prefix" /s "$files/source.bin" /nk 64 /nd "$missing_folder"
  await_window $RUN_LIMIT || fail "real display: no window of the program after $RUN_LIMIT s"
  sleep 4  # twice as long as the watch takes to report a waiting window
  kill -0 "$runner" 2>/dev/null || fail "real display: the run ended by itself: $(cat "$work/stderr")"
  grep -q "waits for the user" "$work/stderr" &&
    fail "real display: the watch reported: $(cat "$work/stderr")"
  intrude close
  finish_run 30 || fail "real display: still running after the dialog was closed"
  [ "$status" -eq 2 ] || fail "real display: status $status after the dialog was closed, not 2"
fi

echo "launcher: $failures failure(s)"
[ "$failures" -eq 0 ]
