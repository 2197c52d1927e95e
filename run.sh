#!/bin/bash
# Runs Parvola 95 under Wine: ./run.sh [program arguments]
# Arguments that name existing Unix paths are handed over in their Windows form.
set -e
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$parvola_root/tools/setup.sh"
parvola_install_missing
parvola_build x86_64 >&2
parvola_ensure_display
export PARVOLA_BUILD_DIR="$parvola_root/build/x86_64"
wine_arguments=()
for argument in "$@"; do
  case "$argument" in /u|/s|/n14|/n72|/np|/nb|/nk|/nm|/op|/or|/ob|/nd|/na) is_switch=1 ;; *) is_switch=0 ;; esac
  if [[ $is_switch == 0 && "$argument" == /* ]] && [ -e "$argument" -o -d "$(dirname "$argument")" ]; then
    argument="$("$parvola_root/tools/wine-run.sh" winepath -w "$argument" 2>/dev/null | tr -d '\r')"
  fi
  wine_arguments+=("$argument")
done
"$parvola_root/tools/wine-run.sh" "$parvola_root/build/x86_64/Parvola95.exe" "${wine_arguments[@]}"
status=$?
exit $status
