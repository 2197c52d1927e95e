#!/bin/bash
# Screenshots of every dialog template, filled with long sample texts, in both languages:
#   tools/show-templates.sh [output folder]   (default build/x86_64/screens)
# writes pages-en.png, pages-de.png (the split dialog once per page) and others-en.png,
# others-de.png (progress, restore and about dialogs).
# Needs a built build/x86_64 (./test.sh or parvola_build x86_64).
set -e
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$parvola_root/tools/setup.sh"
build="$parvola_root/build/x86_64"
out="${1:-$build/screens}"
mkdir -p "$out"
x86_64-w64-mingw32-g++ -std=c++20 -Os -Wall -Wextra -Werror -DWINVER=0x0400 -D_WIN32_WINNT=0x0400 -D_WIN32_IE=0x0300 -DNOMINMAX \
  -I"$parvola_root" -I"$parvola_root/res" -static -mwindows \
  "$parvola_root/tools/ShowTemplates.cpp" "$build/CMakeFiles/parvola_resources.dir/res/Parvola95.rc.res" \
  "$build/libparvola_core.a" -lcomctl32 -lgdi32 -luser32 -o "$build/ShowTemplates.exe"
parvola_ensure_display
export PARVOLA_BUILD_DIR="$build"
for language in en de; do
  for set in pages others; do
    "$parvola_root/tools/wine-run.sh" explorer /desktop=templates,980x710 "$build/ShowTemplates.exe" $language $set 8 &
    runner=$!
    sleep 6
    import -window root -crop 980x710+0+0 "$out/$set-$language.png"
    wait $runner || true
    echo "$out/$set-$language.png"
  done
done
