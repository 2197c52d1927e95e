#!/bin/bash
# Screenshots of the running program, as a person sees it, in English and German:
#   tools/screenshots.sh [output folder]   (default build/x86_64/screenshots)
# For each language it starts Parvola95.exe on a sample source in a Wine virtual
# desktop and writes split-files-<lang>.png, split-size-<lang>.png,
# split-extras-<lang>.png, split-system-<lang>.png, about-<lang>.png, help-<lang>.png
# (the help window at the Size / Numbers page's topic),
# message-<lang>.png, progress-<lang>.png (a split of a large file under way),
# break-<lang>.png (its Break question) and restore-<lang>.png.
# tools/ShootDialogs.cpp drives the program between shots.
set -e
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$parvola_root/tools/setup.sh"
parvola_install_missing
parvola_build x86_64 >/dev/null
build="$parvola_root/build/x86_64"
out="${1:-$build/screenshots}"
mkdir -p "$out"

# Wine takes the user interface language from the locale, which must exist.
parvola_ensure_locales

x86_64-w64-mingw32-g++ -std=c++20 -Os -Wall -Wextra -Werror -DWINVER=0x0400 -D_WIN32_WINNT=0x0400 -D_WIN32_IE=0x0300 -DNOMINMAX \
  -I"$parvola_root" -I"$parvola_root/res" -static -mwindows \
  "$parvola_root/tools/ShootDialogs.cpp" -lcomctl32 -luser32 -o "$build/ShootDialogs.exe"

parvola_ensure_display
export PARVOLA_BUILD_DIR="$build"
wine="$parvola_root/tools/wine-run.sh"
desktop="explorer /desktop=shots,1024x768"
program="$($wine winepath -w "$build/Parvola95.exe" 2>/dev/null | tr -d '\r')"

shoot() {  # name: the whole virtual desktop, trimmed to what stands on it
  sleep 1.5
  import -window root -crop 1024x768+0+0 +repage "$out/$1.png"
  convert "$out/$1.png" -trim +repage "$out/$1.png"
  echo "$out/$1.png"
}
drive() { $wine $desktop "$build/ShootDialogs.exe" "$@"; }

for language in en de; do
  if [ $language = de ]; then export LC_ALL=de_DE.UTF-8; else export LC_ALL=C.UTF-8; fi
  # A large sample source (sparse, so it costs no disk) keeps the split busy for the
  # progress shot; the pieces go to a folder of their own, removed afterwards.
  samples="$build/screenshot-samples"
  rm -rf "$samples" && mkdir -p "$samples/pieces"
  truncate -s 1G "$samples/Holiday video.avi"
  source_file="$($wine winepath -w "$samples/Holiday video.avi" 2>/dev/null | tr -d '\r')"
  pieces="$($wine winepath -w "$samples/pieces" 2>/dev/null | tr -d '\r')"
  # Recovery data of 2 pieces' worth: the Extras page shows its amount in use, the Files page
  # its sentence.
  $wine $desktop "$build/Parvola95.exe" /s "$source_file" /nm 100 /nf 2 "$pieces" &
  runner=$!
  sleep 4
  shoot split-files-$language
  page=1
  for name in size extras system; do
    drive tab $page
    shoot split-$name-$language
    page=$((page + 1))
  done
  drive tab 1
  drive help
  shoot help-$language
  drive dismiss
  drive tab 0
  drive about
  shoot about-$language
  drive dismiss
  drive box
  shoot message-$language
  drive dismiss
  if [ $language = de ]; then progress_caption=Splitten; else progress_caption=Splitting; fi
  drive split
  shoot progress-$language
  drive break "$progress_caption"
  shoot break-$language
  drive dismiss
  sleep 1
  drive exit
  wait $runner || true
  rm -rf "$samples"
  $wine $desktop "$build/Parvola95.exe" /u "C:\\REPORT.Split" "C:\\windows\\temp" &
  runner=$!
  sleep 4
  shoot restore-$language
  drive exit
  wait $runner || true
  # Each language starts its own Wine session: the locale is read at start.
  WINEPREFIX="${WINEPREFIX:-$build/wine}" /usr/lib/wine/wineserver -w
done
unset LC_ALL
