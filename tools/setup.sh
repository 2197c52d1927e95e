# Sourced by run.sh and test.sh: installs what the build and the tests need on a
# fresh Debian machine, and provides a display for the dialogs.

parvola_packages="cmake make mingw-w64 wine wine64 xvfb x11-utils x11-apps imagemagick doctest-dev clang libclang-rt-<clang major>-dev g++-multilib qemu-user par2 dosfstools mtools fusefat"

# Installs what is missing, in one transaction; with the argument wine32 also Wine for
# 32-bit programs (Debian's wine32, from the i386 architecture), with which the 64-bit prefix
# runs the shipped 32-bit program. The 64-bit Wine and wine32 come together, so that the
# libraries they share are chosen once for both architectures. When wine32 cannot be had,
# the rest is installed without it and the status is 1.
parvola_install_missing() {
  local missing=()
  local tool
  for tool in cmake:cmake make:make x86_64-w64-mingw32-g++:mingw-w64 i686-w64-mingw32-g++:mingw-w64 \
              /usr/lib/wine/wine64:wine64 /usr/lib/wine/wineserver:wine Xvfb:xvfb xwininfo:x11-utils \
              xwd:x11-apps convert:imagemagick import:imagemagick /usr/include/doctest/doctest.h:doctest-dev \
              clang++:clang qemu-i386:qemu-user par2:par2 /usr/sbin/mkfs.fat:dosfstools mcopy:mtools fusefat:fusefat; do
    local probe="${tool%%:*}" package="${tool##*:}"
    if [[ "$probe" == /* ]]; then [ -e "$probe" ] && continue; else command -v "$probe" >/dev/null && continue; fi
    missing+=("$package")
  done
  # g++ for i386 (-m32) with its static C++ library, for the window-free logic's tests.
  [ -e "$(g++ -m32 -print-file-name=libstdc++.a 2>/dev/null)" ] || missing+=(g++-multilib)
  local status=0
  if [ "${1:-}" = wine32 ] && [ ! -e /usr/lib/wine/wine ]; then
    if parvola_install_with_wine32 "${missing[@]}"; then
      missing=()
    else
      echo "Debian's wine32 could not be installed (see apt's lines above)" >&2
      status=1
    fi
  fi
  [ ${#missing[@]} -gt 0 ] && parvola_apt_install $(printf '%s\n' "${missing[@]}" | sort -u)
  parvola_install_clang_runtime
  return $status
}

# Installs the 64-bit Wine and wine32 with the packages given, in one transaction. A
# mirror may lack an archive's i386 index (a sync in progress) while it has the amd64 one:
# that archive is pinned at 100 for the transaction, so that apt chooses among versions
# that both architectures see. A library that both need in one version (Multi-Arch: same)
# and that apt would still install at two is named at a version that both indexes offer,
# taking the amd64 one back where it must. One line says what was pinned or taken back.
# Nothing is removed to make room.
parvola_install_with_wine32() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo dpkg --add-architecture i386 || return 1
    parvola_apt_updated=""
  fi
  parvola_apt_update
  local preferences
  preferences="$(mktemp)" || return 1
  local pinned=() archive
  cat /etc/apt/preferences > "$preferences" 2>/dev/null
  while read -r archive; do
    printf '\nPackage: *\nPin: release %s\nPin-Priority: 100\n' "$archive" >> "$preferences"
    pinned+=("$archive")
  done < <(apt-cache policy | parvola_archives_lacking_i386)
  local apt_options=(-o "Dir::Etc::Preferences=$preferences") pairs="" status=0
  pairs="$(parvola_wine32_library_pairs "${apt_options[@]}")" || status=1
  local name version taken_back named=() versions="" note=""
  while read -r name version taken_back; do
    [ -n "$name" ] || continue
    named+=("$name=$version" "$name:i386=$version")
    versions+="${versions:+, }$name ${taken_back:+taken back from $taken_back to }$version"
  done <<< "$pairs"
  [ ${#pinned[@]} -eq 0 ] || note="pinned at 100 for lack of an i386 index: $(IFS=';'; echo "${pinned[*]}")"
  [ -z "$versions" ] || note+="${note:+; }for amd64 and i386 alike: $versions"
  [ -z "$note" ] || echo "wine32: $note" >&2
  [ $status -eq 0 ] && parvola_apt_install "${apt_options[@]}" --allow-downgrades --no-remove \
    wine64 wine32 "${named[@]}" "$@" || status=1
  rm -f "$preferences"
  return $status
}

# Reads `apt-cache policy` (without packages) and prints, one a line as a pin's release
# selector, the archives that have an amd64 index but no i386 one, of origins that have
# i386 indexes elsewhere (an origin that serves amd64 alone is left alone).
parvola_archives_lacking_i386() {
  awk '
    $1 == "release" {
      archive = ""; origin = ""; arch = ""
      count = split(substr($0, index($0, "release ") + 8), fields, ",")
      for (f = 1; f <= count; f++) {
        if (fields[f] ~ /^b=/) { arch = substr(fields[f], 3); continue }
        if (fields[f] ~ /^v=/) continue
        if (fields[f] ~ /^o=/) origin = fields[f]
        archive = archive (archive == "" ? "" : ",") fields[f]
      }
      if (arch == "") next
      if (!(archive in known)) { known[archive] = origin; order[++archives] = archive }
      has[archive, arch] = 1
      if (arch == "i386") origin_has_i386[origin] = 1
    }
    END {
      for (a = 1; a <= archives; a++)
        if (has[order[a], "amd64"] && !has[order[a], "i386"] && origin_has_i386[known[order[a]]]) print order[a]
    }'
}

# The libraries that wine32 and the 64-bit Wine both need in one version (Multi-Arch: same),
# named where apt would install them at two: prints "NAME VERSION [TAKEN BACK FROM]" lines
# (see parvola_shared_library_versions). Takes apt's options.
parvola_wine32_library_pairs() {
  local depends=(apt-cache "$@" depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks
                 --no-replaces --no-enhances)
  local for_i386 for_amd64 shared
  for_i386="$("${depends[@]}" wine32:i386 | sed -n 's/^\([^ <]*\):i386$/\1/p' | sort -u)"
  for_amd64="$({ "${depends[@]}" wine64 | grep '^[^ <:]*$'
                 dpkg-query -W -f='${db:Status-Abbrev}${Package}:${Architecture}\n' | sed -n 's/^ii *\(.*\):amd64$/\1/p'
               } | sort -u)"
  shared="$(comm -12 <(echo "$for_i386") <(echo "$for_amd64") | sed 's/$/:i386/' |
            xargs -r apt-cache "$@" show --no-all-versions |
            awk '/^Package:/ { name = $2 } /^Multi-Arch: same$/ { print name }' | sort -u)"
  [ -z "$shared" ] || apt-cache "$@" policy $(sed 'p; s/$/:i386/' <<< "$shared") | parvola_shared_library_versions
}

# Reads `apt-cache policy NAME NAME:i386 ...` (amd64 the native architecture) and prints
# "NAME VERSION" for each pair that apt would install at two versions, VERSION being the
# newest that both version tables hold, with a third field, the amd64 version installed,
# when VERSION is older (taken back). apt gives each architecture its candidate, and moves
# an installed amd64 library on to its candidate when it installs the i386 one. A pair
# installed for both at one version is left alone. Fails, naming the library, when the
# two tables hold no version in common.
parvola_shared_library_versions() {
  awk '
    /^[^ ]/ {
      name = $0; sub(/:$/, "", name); arch = "amd64"
      if (sub(/:i386$/, "", name)) arch = "i386"
      sub(/:amd64$/, "", name)
      if (!(name in seen)) { seen[name] = 1; names[++count] = name }
      installed[name, arch] = "(none)"; candidate[name, arch] = "(none)"
      next
    }
    $1 == "Installed:" { installed[name, arch] = $2; next }
    $1 == "Candidate:" { candidate[name, arch] = $2; next }
    # A version of the table, newest first: "     VERSION PRIORITY", " *** VERSION PRIORITY".
    /^ (\*\*\*|   ) [^ ]+ -?[0-9]+$/ {
      version = $(NF - 1)
      place[name, arch, version] = ++versions[name, arch]
      table[name, arch, versions[name, arch]] = version
    }
    END {
      for (n = 1; n <= count; n++) {
        name = names[n]
        old = installed[name, "amd64"]
        amd64 = candidate[name, "amd64"] != "(none)" ? candidate[name, "amd64"] : old
        if (amd64 == "(none)" || amd64 == candidate[name, "i386"]) continue
        if (old != "(none)" && installed[name, "i386"] == old) continue
        shared = ""
        for (v = 1; v <= versions[name, "i386"] && shared == ""; v++)
          if ((name, "amd64", table[name, "i386", v]) in place) shared = table[name, "i386", v]
        if (shared == "") {
          print "No version of " name " is offered for both amd64 and i386" > "/dev/stderr"
          failed = 1
          continue
        }
        print name, shared (old != "(none)" && place[name, "amd64", old] < place[name, "amd64", shared] ? " " old : "")
      }
      exit failed
    }'
}

# The oldest qemu through which, as the binfmt_misc handler of 32-bit programs, the shipped
# program's suite runs in reasonable time where the kernel refuses them: Debian 12's qemu
# 7.2 takes about 50 s of processor time to start any 32-bit Wine process (Wine reserves
# its address space in some 65,000 mappings, each of which qemu looks up page by page),
# qemu 10.0 about 3 s, and the whole suite about 9 minutes. Versions between were not tried.
parvola_qemu_minimum=10.0

# Makes this machine run the shipped 32-bit program's test suite where it can: where the
# kernel refuses 32-bit programs, it installs a qemu-user of at least parvola_qemu_minimum
# (parvola_install_recent_qemu) and registers it as their binfmt_misc handler, in place of
# a handler whose qemu is too old; one line says what was done. A kernel that runs them
# itself, and a handler that is not qemu, are left alone. Fails when the suite cannot run
# here, and parvola_32_bit_reason then says why.
parvola_ensure_32_bit_programs_run() {
  parvola_32_bit_reason=""
  local probe handler="" version="" kernel choice status=0
  probe="$(parvola_write_32_bit_probe)" || return 1
  handler="$(parvola_binfmt_handler "$probe")" && version="$(parvola_handler_qemu_version "$probe")"
  kernel="$(parvola_kernel_runs_32_bit "$probe" "$handler")"
  choice="$(parvola_32_bit_choice "$kernel" "$handler" "$version")"
  case "$choice" in
    run) ;;
    leave\ *) parvola_32_bit_reason="${choice#leave }"; status=1 ;;
    *)
      local qemu="" now=""
      parvola_install_recent_qemu && qemu="$(command -v qemu-i386)" &&
        parvola_register_qemu_i386 "$qemu" "${handler%% *}" && now="$(parvola_handler_qemu_version "$probe")"
      if parvola_qemu_recent "$now"; then
        echo "32-bit programs${kernel:+, which this kernel does not run itself,} now run through qemu $now ($qemu)," \
          "binfmt_misc's handler qemu-i386${handler:+, in place of $handler with qemu $version, too old}" >&2
      else
        parvola_32_bit_reason="this kernel does not run 32-bit programs, and no qemu of at least $parvola_qemu_minimum could be registered to run them"
        status=1
      fi ;;
  esac
  rm -f "$probe"
  return $status
}

# What to do for 32-bit programs, from what was found: KERNEL, whether the kernel runs them
# itself (yes, no, or empty where that cannot be told), HANDLER, the binfmt_misc handler
# that takes them (empty: none), and VERSION, the version of the qemu that it is (empty: it
# is no qemu). Prints "run" (they run, by the kernel or through a qemu recent enough),
# "register" (a recent qemu is to be registered), "replace" (the handler's qemu is too old
# and is to be replaced) or "leave REASON" (the suite cannot run, and nothing is changed).
parvola_32_bit_choice() {
  local kernel="$1" handler="$2" version="$3"
  if [ -z "$handler" ]; then
    [ "$kernel" = yes ] && echo run || echo register
  elif [ -z "$version" ]; then
    echo "leave 32-bit programs run here through the emulator $handler, which is not qemu"
  elif parvola_qemu_recent "$version"; then
    echo run
  elif [ "$kernel" = yes ]; then
    echo "leave 32-bit programs run here through the emulator $handler (qemu $version), too slowly for the suite, although the kernel runs them itself"
  else
    echo replace
  fi
}

# Writes a 93-byte 32-bit program that does nothing but exit with status 0, and prints its path.
parvola_write_32_bit_probe() {
  local probe
  probe="$(mktemp)" || return 1
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0'\
'\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0'\
'\5\0\0\0\0\20\0\0\61\333\270\1\0\0\0\315\200' > "$probe" && chmod +x "$probe" && echo "$probe"
}

# Prints whether the kernel itself runs the 32-bit program PROBE (its IA32 emulation),
# whichever binfmt_misc handler would take it: yes or no, or nothing where that cannot be
# told. Where a handler takes it (HANDLER is not empty), the probe runs in a user namespace
# with a binfmt_misc of its own, which has no handlers (Linux 6.7 on).
parvola_kernel_runs_32_bit() {
  local probe="$1" handler="$2" status=0
  if [ -n "$handler" ]; then
    unshare --user --map-root-user --mount sh -c \
      'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || exit 125; exec "$0"' "$probe" \
      2>/dev/null || status=$?
  else
    "$probe" 2>/dev/null || status=$?
  fi
  case $status in 0) echo yes ;; 126) echo no ;; esac
}

# Prints the version of the qemu that runs the 32-bit program PROBE as its binfmt_misc
# handler (asked by its variable QEMU_VERSION, qemu answers in place of the program), or
# nothing when the handler is no qemu.
parvola_handler_qemu_version() {
  QEMU_VERSION=1 "$1" 2>/dev/null | parvola_qemu_version
}

# Reads qemu's answer to its version switch and prints the version (10.0.2).
parvola_qemu_version() {
  sed -n '1s/^qemu-[^ ]* version \([0-9][0-9.]*\).*/\1/p'
}

# Whether the version (of qemu, or of a Debian package of it without its epoch) is at least
# parvola_qemu_minimum.
parvola_qemu_recent() {
  [ -n "$1" ] && dpkg --compare-versions "$1" ge "$parvola_qemu_minimum" 2>/dev/null
}

# Installs Debian's qemu-user where the one installed is older than parvola_qemu_minimum,
# from the release's backports where the release's own is older too (Debian 12 has 7.2).
# qemu-user-binfmt, qemu-user's registrations for other processors, comes along only where
# it is installed: qemu-user 9.1 and later break its older versions, which apt would remove.
parvola_install_recent_qemu() {
  parvola_qemu_recent "$(qemu-i386 --version 2>/dev/null | parvola_qemu_version)" && return 0
  parvola_apt_update
  parvola_qemu_recent "$(apt-cache policy qemu-user | sed -n 's/^ *Candidate: \([0-9]*:\)\{0,1\}//p')" ||
    parvola_add_backports_for qemu-user qemu-user-binfmt || return 1
  parvola_apt_install --no-remove qemu-user &&
    parvola_qemu_recent "$(qemu-i386 --version 2>/dev/null | parvola_qemu_version)"
}

# Adds the Debian release's backports to apt's sources, pinned so that of its packages
# only those named are installed (where apt's sources had no backports yet, no other ever
# is), and reads the package indexes again.
parvola_add_backports_for() {
  local suite sudo="" own=/etc/apt/sources.list.d/parvola-backports.sources
  suite="$(. /etc/os-release && echo "$VERSION_CODENAME")-backports"
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  local pins="Package: $*\nPin: release n=$suite\nPin-Priority: 500\n"
  if [ -e "$own" ] || ! apt-cache policy | grep -q "n=$suite,"; then
    printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
      "$suite" /usr/share/keyrings/debian-archive-keyring.gpg | $sudo tee "$own" >/dev/null || return 1
    pins+="\nPackage: *\nPin: release n=$suite\nPin-Priority: -1\n"
  fi
  printf "$pins" | $sudo tee /etc/apt/preferences.d/parvola-backports >/dev/null || return 1
  echo "apt: $suite added for $* alone" >&2
  parvola_apt_updated=""
  parvola_apt_update
}

# Registers QEMU (its path) as binfmt_misc's handler of i386 programs, under the name that
# qemu's own set-up gives it, in place of the entry named OLD when one is given; mounts
# binfmt_misc where it is not. The kernel opens the emulator at once (flag F), so that it
# serves in every mount namespace.
parvola_register_qemu_i386() {
  local qemu="$1" old="$2" handlers=/proc/sys/fs/binfmt_misc sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  [ -e "$handlers/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$handlers" || return 1
  [ -z "$old" ] || echo -1 | $sudo tee "$handlers/$old" >/dev/null || return 1
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'\
':\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu:F" |
    $sudo tee "$handlers/register" >/dev/null
}

# Prints the enabled binfmt_misc entry that the kernel would start the program with, by
# its name and interpreter, or fails when there is none. The kernel asks these entries
# before it loads a program itself; one matches when the program's bytes at its offset,
# masked, are its magic, masked.
parvola_binfmt_handler() {
  local program="$1" handlers=/proc/sys/fs/binfmt_misc entry
  grep -qsx enabled "$handlers/status" || return 1
  for entry in "$handlers"/*; do
    case "${entry##*/}" in register|status) continue ;; esac
    grep -qsx enabled "$entry" || continue
    local magic mask offset header
    magic="$(sed -n 's/^magic //p' "$entry")" mask="$(sed -n 's/^mask //p' "$entry")"
    offset="$(sed -n 's/^offset //p' "$entry")"
    [ -n "$magic" ] || continue
    header="$(od -An -tx1 -v -j "${offset:-0}" -N $((${#magic} / 2)) "$program" | tr -d ' \n')"
    [ ${#header} -eq ${#magic} ] || continue
    local at bits=ff matches=1
    for ((at = 0; at < ${#magic}; at += 2)); do
      [ -n "$mask" ] && bits="${mask:at:2}"
      (( (16#${header:at:2} & 16#$bits) == (16#${magic:at:2} & 16#$bits) )) || { matches=0; break; }
    done
    [ $matches -eq 1 ] || continue
    echo "${entry##*/} ($(sed -n 's/^interpreter //p' "$entry"))"
    return 0
  done
  return 1
}

# Installs Debian packages without their recommended ones: parvola_apt_install [apt-get
# options] PACKAGE...
parvola_apt_install() {
  echo "Installing: $*" >&2
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  parvola_apt_update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >&2
}

# Reads the package indexes, once per script (again after an architecture was added). An
# index that a mirror fails to give is left out, as apt says; the others serve.
parvola_apt_update() {
  [ -n "${parvola_apt_updated:-}" ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq || true
  parvola_apt_updated=1
}

# The sanitizer and libFuzzer runtimes of the installed clang (Debian: libclang-rt-<major>-dev),
# for the native build of the window-free logic and the fuzz targets.
parvola_install_clang_runtime() {
  command -v clang++ >/dev/null || parvola_apt_install clang
  local runtime
  runtime="$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a"
  [ -e "$runtime" ] || parvola_apt_install "libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev"
}

# The German and the Japanese locale, created when they are missing: Wine takes a German
# user interface and the German code pages (1252, OEM 850) from the one, the Japanese
# double-byte code page (932) from the other.
parvola_ensure_locales() {
  local name
  for name in de_DE ja_JP; do
    locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8$" && continue
    # localedef is the C library's; the locale's sources come with Debian's "locales".
    [ -e "/usr/share/i18n/locales/$name" ] || parvola_apt_install locales
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo localedef -i "$name" -f UTF-8 "$name.UTF-8"
  done
}

# Builds the window-free logic for this machine with the sanitizers and runs its unit
# tests (build/native); any sanitizer report fails them.
parvola_native_tests() {
  local dir="$parvola_root/build/native"
  [ -f "$dir/CMakeCache.txt" ] || cmake -S "$parvola_root/native" -B "$dir" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$dir" -j "$(nproc)" && ctest --test-dir "$dir" --output-on-failure
}

# Builds the same logic and tests with g++ -m32 for a Pentium, as the shipped program's own
# code is built (static, without sanitizers; build/native-i386), and runs them under qemu-i386
# as a processor without SSE, SSE2, SSE4.1 or carry-less multiply: a vector way taken
# without its processor check ends the run with an illegal instruction.
parvola_old_processor_tests() {
  local dir="$parvola_root/build/native-i386"
  [ -f "$dir/CMakeCache.txt" ] ||
    cmake -S "$parvola_root/native" -B "$dir" -DCMAKE_CXX_COMPILER=g++ -DPARVOLA_OLD_PROCESSOR=ON >/dev/null
  cmake --build "$dir" -j "$(nproc)" && ctest --test-dir "$dir" --output-on-failure
}

# Runs a command when the calling script ends, before those registered earlier.
parvola_at_exit() {
  parvola_exit_commands=("$1" "${parvola_exit_commands[@]}")
  trap 'for parvola_command in "${parvola_exit_commands[@]}"; do eval "$parvola_command"; done' EXIT
}

# Starts a private Xvfb when there is no display; it ends with the calling script.
parvola_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    parvola_xvfb_pid=$!
    parvola_at_exit "kill $parvola_xvfb_pid 2>/dev/null"
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    return 0
  done
  echo "No free display number for Xvfb" >&2
  return 1
}

# Readies the Wine prefix that WINEPREFIX names for runs on a display without a window
# manager: creates it when it is missing, makes its windows unmanaged (Wine would wait two
# seconds for a window manager whenever a shown managed window goes away) and starts one
# wineserver that stays up, with Wine's own system processes, until the calling script
# ends: started anew for each program, they would cost some seconds every time. Its
# process id is in parvola_wineserver_pid, empty when a server of this prefix was running
# already.
parvola_start_headless_wine() {
  if [ ! -d "$WINEPREFIX/drive_c" ]; then
    "$parvola_root/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1 </dev/null || true
  fi
  timeout 30 /usr/lib/wine/wineserver -w || true   # a server of an earlier program ends first
  # Persistent without a time-out: with one, Wine ends its system processes at once when
  # the last program has gone, and the next program starts them again.
  /usr/lib/wine/wineserver -f -p >/dev/null 2>&1 </dev/null &
  parvola_wineserver_pid=$!
  sleep 0.3
  if kill -0 "$parvola_wineserver_pid" 2>/dev/null; then
    parvola_at_exit "WINEPREFIX='$WINEPREFIX' /usr/lib/wine/wineserver -k 2>/dev/null"
  else
    parvola_wineserver_pid=""
  fi
  # This first program also starts Wine's system processes, which stay with the server:
  # started by a later program, they would hold on to its output (CTest waits for that to
  # close) for as long as the server runs.
  "$parvola_root/tools/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 </dev/null
  parvola_turn_off_crash_dialog
}

# Turns Wine's crash dialog off in the prefix that WINEPREFIX names (made when it is
# missing): the dialog opens in a process of its own (winedbg), which nobody answers on a
# private display and HeadlessRun does not watch, so a crashed program would never end.
# Without it the crash ends the program at once, with the exception as its status.
parvola_turn_off_crash_dialog() {
  grep -qs '^"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" && return 0
  "$parvola_root/tools/wine-run.sh" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1 </dev/null && return 0
  echo "Cannot turn off Wine's crash dialog in the prefix $WINEPREFIX" >&2
  return 1
}

# The check that run.sh makes of a command line before it starts the program
# (tools/CommandLineCheck.cpp, with the program's own command-line rules), built for
# this machine when a source is newer than it. Prints the checker's path.
parvola_build_command_line_check() {
  local checker="$parvola_root/build/tools/command-line-check"
  local sources=("$parvola_root/tools/CommandLineCheck.cpp" "$parvola_root/logic/SplitCommandLine.cpp"
                 "$parvola_root/logic/Letters.cpp")
  local input
  for input in "${sources[@]}" "$parvola_root/logic/SplitCommandLine.h" "$parvola_root/logic/Letters.h" \
               "$parvola_root/logic/RecoveryAmount.h" \
               "$parvola_root/framework/LongFileName.h"; do
    [ "$checker" -nt "$input" ] && continue
    mkdir -p "$(dirname "$checker")"
    clang++ -std=c++20 -O1 -Wall -Wextra -Werror -I"$parvola_root" "${sources[@]}" -o "$checker" >&2 || return 1
    break
  done
  echo "$checker"
}

# Configures (once) and builds one target into build/<arch>.
parvola_build() {
  local arch="$1"; shift
  local dir="$parvola_root/build/$arch"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$parvola_root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$parvola_root/cmake/$arch-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  elif [ $# -gt 0 ]; then
    cmake "$dir" "$@" >/dev/null
  fi
  cmake --build "$dir" -j "$(nproc)"
}

# Runs one build's test suite (build/<arch>) on the display that DISPLAY names (or a
# private one), in the prefix that WINEPREFIX names or else in its own:
# parvola_run_suite ARCH [ctest arguments]. Its own prefix, when it was made before Wine
# could run 32-bit programs, is made anew for the 32-bit suite.
parvola_run_suite() {
  local arch="$1"; shift
  (
    parvola_exit_commands=()
    export PARVOLA_BUILD_DIR="$parvola_root/build/$arch"
    if [ -z "${WINEPREFIX:-}" ]; then
      export WINEPREFIX="$PARVOLA_BUILD_DIR/wine-tests"
      if [ "$arch" = i686 ] && [ -d "$WINEPREFIX/drive_c" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
        /usr/lib/wine/wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
      fi
    fi
    parvola_ensure_display
    parvola_start_headless_wine
    ctest --test-dir "$PARVOLA_BUILD_DIR" --output-on-failure -j "$(nproc)" "$@"
  )
}
