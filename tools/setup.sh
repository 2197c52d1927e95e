# Sourced by run.sh and test.sh: installs what the build and the tests need on a
# fresh Debian machine, and provides a display for the dialogs.
# Only 64-bit Wine: these machines cannot run 32-bit code.

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

# Builds the window-free logic for this machine with the sanitizers and runs its unit
# tests (build/native); any sanitizer report fails them.
parvola_native_tests() {
  local dir="$parvola_root/build/native"
  [ -f "$dir/CMakeCache.txt" ] || cmake -S "$parvola_root/native" -B "$dir" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$dir" -j "$(nproc)" && ctest --test-dir "$dir" --output-on-failure
}

# Starts a private Xvfb when there is no display; it ends with the calling script.
parvola_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    parvola_xvfb_pid=$!
    trap 'kill $parvola_xvfb_pid 2>/dev/null' EXIT
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    return 0
  done
  echo "No free display number for Xvfb" >&2
  return 1
}

# The check that run.sh makes of a command line before it starts the program
# (tools/CommandLineCheck.cpp, with the program's own command-line rules), built for
# this machine when a source is newer than it. Prints the checker's path.
parvola_build_command_line_check() {
  local checker="$parvola_root/build/tools/command-line-check"
  local sources=("$parvola_root/tools/CommandLineCheck.cpp" "$parvola_root/app/SplitCommandLine.cpp")
  local input
  for input in "${sources[@]}" "$parvola_root/app/SplitCommandLine.h" "$parvola_root/app/LongFileName.h"; do
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
