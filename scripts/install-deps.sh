#!/usr/bin/env bash
# Installs, on Debian, whatever of the named tool sets is missing:
#   build   compiler, CMake, Ninja
#   test    the build set and git, GoogleTest, Google Benchmark, MinGW-w64,
#           Wine (with 32-bit Wine from the i386 architecture), tmux,
#           Python 3, clang with libFuzzer, clang-format, clang-tidy,
#           Valgrind and GNU time (/usr/bin/time, for bench/run.sh)
# Usage: scripts/install-deps.sh build|test
set -euo pipefail

want=${1:?usage: install-deps.sh build|test}
packages=()
need() {  # need <command or file> <package>...
  local probe=$1
  shift
  if [[ $probe == /* ]]; then [[ -e $probe ]] && return; else command -v "$probe" >/dev/null 2>&1 && return; fi
  packages+=("$@")
}

need g++ g++
need cmake cmake
need ninja ninja-build
if [[ $want == test ]]; then
  need git git
  need /usr/src/googletest/CMakeLists.txt googletest
  need /usr/include/benchmark/benchmark.h libbenchmark-dev
  need x86_64-w64-mingw32-g++-win32 g++-mingw-w64-x86-64-win32
  need i686-w64-mingw32-g++-win32 g++-mingw-w64-i686-win32
  need x86_64-w64-mingw32-objdump binutils-mingw-w64-x86-64
  need wine wine wine64
  # The 32-bit Windows program needs 32-bit Wine, which is Debian's i386 package.
  if [[ $(dpkg --print-architecture) == amd64 ]]; then
    need /usr/lib/wine/wine wine32:i386
  fi
  need tmux tmux
  need pgrep procps
  need python3 python3
  need setpriv util-linux
  need valgrind valgrind
  need /usr/bin/time time
  need clang-format clang-format
  need clang-tidy clang-tidy
  need clang clang libclang-rt-dev
  if command -v clang >/dev/null 2>&1 &&
    ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
      clang++ -x c++ -fsanitize=fuzzer - -o /dev/null >/dev/null 2>&1; then
    packages+=(libclang-rt-dev)
  fi
fi

if ((${#packages[@]} > 0)); then
  echo "Installing: ${packages[*]}"
  sudo=()
  [[ $(id -u) == 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${packages[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}"
fi
