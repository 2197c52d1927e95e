#!/bin/bash
# Holds every #include "folder/..." line of the program to the layers of layers.txt:
# a file may include its own folder and the folders on lower layers only.
# ./tools/check-layers.sh [repository folder]; prints each breach and fails when there is one.
set -u
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
table="$root/layers.txt"
[ -r "$table" ] || { echo "check-layers: no $table" >&2; exit 2; }

declare -A layer_of=()
layer=0
order=()
while read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  # The folder names stand first, up to the first gap of two or more blanks.
  names="${line%%  *}"
  for folder in $names; do layer_of[$folder]=$layer; done
  order+=("$names")
  layer=$((layer + 1))
done < "$table"

allowed_below() {  # the folders a file of layer $1 may include besides its own
  local names="" index
  for ((index = 0; index < $1; index++)); do names+="${names:+, }${order[$index]// /, }"; done
  echo "${names:-nothing}"
}

breaches=0
for folder in "${!layer_of[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS=: read -r file number text; do
    included="${text#*\"}"; included="${included%%\"*}"
    target="${included%%/*}"
    [[ "$included" == */* ]] || target="$folder"
    if [ -z "${layer_of[$target]+set}" ]; then
      echo "$file:$number: includes \"$included\" from $target/, which has no layer in layers.txt"
    elif [ "$target" != "$folder" ] && [ "${layer_of[$target]}" -ge "${layer_of[$folder]}" ]; then
      echo "$file:$number: includes \"$included\": $folder/ may include only $(allowed_below "${layer_of[$folder]}")"
    else
      continue
    fi
    breaches=$((breaches + 1))
  done < <(cd "$root" && grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -r "$folder" --include='*.h' --include='*.cpp' --include='*.rc')
done

# Every folder of program sources has a layer.
for dir in "$root"/*/; do
  folder="$(basename "$dir")"
  [ -n "${layer_of[$folder]+set}" ] && continue
  case "$folder" in build|tests|tools|native|fuzz|bench|cmake) continue ;; esac
  if compgen -G "$dir*.cpp" >/dev/null || compgen -G "$dir*.h" >/dev/null; then
    echo "$folder/: program sources in a folder that has no layer in layers.txt"
    breaches=$((breaches + 1))
  fi
done

if [ $breaches -gt 0 ]; then
  echo "check-layers: $breaches include(s) against the layers of layers.txt" >&2
  exit 1
fi
echo "check-layers: every include of ${#layer_of[@]} folders keeps to layers.txt"
