#!/bin/bash
# Runs Parvola 95 under Wine: ./run.sh [program arguments]
# Arguments that are Unix paths are handed over in their Windows form.
# Exit status: the program's own (0 done, 1 failed or broken off, 2 an unattended run
# that did not start by itself; see README.md), or
#   2  an unattended run (/nd) that would stop and wait for the user: refused before
#      the program starts, with one line on standard error saying what is missing;
#   3  the program ran on run.sh's private display (no DISPLAY was set), where nobody
#      can answer it, and a window of it waited for the user: its title and text went
#      to standard error and the program was ended; or the program crashed, which one
#      line on standard error says (Wine's crash dialog is off in the prefix).
set -e -o pipefail
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$parvola_root/tools/setup.sh"
parvola_install_missing
# The build's own lines, without those of targets that were up to date already.
parvola_build x86_64 2>&1 | { grep -v 'Built target' || true; } >&2
checker="$(parvola_build_command_line_check)"
unix_path_positions="$("$checker" "$@")" || exit $?

watched=""
if [ -z "${DISPLAY:-}" ]; then
  parvola_ensure_display
  watched=1
  echo "run.sh: no DISPLAY, so Parvola 95 runs on a private display that nobody sees;" \
    "to look at it: import -display $DISPLAY -window root parvola-screen.png" >&2
fi

export PARVOLA_BUILD_DIR="$parvola_root/build/x86_64"
export WINEPREFIX="${WINEPREFIX:-$PARVOLA_BUILD_DIR/wine}"
parvola_turn_off_crash_dialog
wine="$parvola_root/tools/wine-run.sh"
program="$PARVOLA_BUILD_DIR/Parvola95.exe"
program_arguments=("$@")
unix_paths=()
for position in $unix_path_positions; do unix_paths+=("${program_arguments[position - 1]}"); done
unix_paths+=("$program")
# One Wine start converts them all, one line each. An empty line is a conversion that
# failed (seen on a busy machine right after a crash in the same prefix, when the
# program's own path came back empty): the conversion is tried again.
for attempt in 1 2 3; do
  mapfile -t windows_paths < <("$wine" winepath -w "${unix_paths[@]}" 2>/dev/null | tr -d '\r')
  [ ${#windows_paths[@]} -eq ${#unix_paths[@]} ] && ! printf '%s\n' "${windows_paths[@]}" | grep -qx '' && break
  windows_paths=()
  sleep "$attempt"
done
if [ ${#windows_paths[@]} -ne ${#unix_paths[@]} ]; then
  echo "run.sh: Wine could not give the Windows form of: ${unix_paths[*]}" >&2
  exit 1
fi
index=0
for position in $unix_path_positions; do
  program_arguments[position - 1]="${windows_paths[index]}"
  index=$((index + 1))
done

# The program runs under HeadlessRun, which reports a crash; on a display of the
# user's own it leaves the program's windows to the user.
attended=()
[ -z "$watched" ] && attended=(/attended)
set +e
# Its report goes through a pipe: Wine would pass a terminal's lines through its
# own console, which cuts them at 80 columns and garbles all but ASCII.
{ "$wine" "$PARVOLA_BUILD_DIR/tools/HeadlessRun.exe" "${attended[@]}" "${windows_paths[-1]}" \
    "${program_arguments[@]}" 2>&1 >&3 3>&- | cat >&2; } 3>&1
status=$?
exit $status
