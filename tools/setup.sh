# Sourced by run.sh and test.sh: installs what the build and the tests need on a
# fresh Debian machine, and provides a display for the dialogs.

parvola_packages="cmake make mingw-w64 wine wine64 xvfb x11-utils x11-apps imagemagick doctest-dev clang libclang-rt-<clang major>-dev"

parvola_install_missing() {
  local missing=()
  local tool
  for tool in cmake:cmake make:make x86_64-w64-mingw32-g++:mingw-w64 i686-w64-mingw32-g++:mingw-w64 \
              /usr/lib/wine/wine64:wine64 /usr/lib/wine/wineserver:wine Xvfb:xvfb xwininfo:x11-utils \
              xwd:x11-apps convert:imagemagick import:imagemagick /usr/include/doctest/doctest.h:doctest-dev \
              clang++:clang; do
    local probe="${tool%%:*}" package="${tool##*:}"
    if [[ "$probe" == /* ]]; then [ -e "$probe" ] && continue; else command -v "$probe" >/dev/null && continue; fi
    missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] && parvola_apt_install $(printf '%s\n' "${missing[@]}" | sort -u)
  parvola_install_clang_runtime
}

# Whether the kernel runs 32-bit programs (IA32 emulation): a 93-byte 32-bit program
# that does nothing but exit with status 0 is started.
parvola_kernel_runs_32_bit() {
  local probe
  probe="$(mktemp)" || return 1
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0'\
'\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0'\
'\5\0\0\0\0\20\0\0\61\333\270\1\0\0\0\315\200' > "$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  local status=$?
  rm -f "$probe"
  return $status
}

# Wine for 32-bit programs (Debian's wine32, from the i386 architecture), with which the
# 64-bit prefix runs the shipped 32-bit program; only where the kernel runs such programs.
parvola_install_32_bit_wine() {
  [ -e /usr/lib/wine/wine ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  parvola_apt_install wine32 && return 0
  # A mirror's security index for i386 may lag behind the one for amd64, and the two
  # architectures' libraries must be the same versions: the release's own packages then.
  echo "Installing wine32 from the release's own packages" >&2
  local preferences
  preferences="$(mktemp)" || return 1
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' > "$preferences"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o Dir::Etc::Preferences="$preferences" wine64 wine32 libgstreamer-plugins-base1.0-0:i386 >&2
  local status=$?
  rm -f "$preferences"
  return $status
}

parvola_apt_install() {
  echo "Installing: $*" >&2
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >&2
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
