#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, builds, then starts the program ("run")
# or runs every test ("test"). "run" builds the program and the files beside it only.
# "sanitize" builds everything again with AddressSanitizer and UBSan in a folder of its own
# and runs every test there.
set -euo pipefail
mode=${1:-run}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZUVRAX_BUILD_DIR:-$here/build}

# Real package names only: dpkg never reports a virtual name as installed, so one would send
# every run to apt-get.
packages=(build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-translations-l10n
  libsqlite3-dev sqlite3 libblkid-dev libchm-dev fp-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core)
# The test run also checks the sources' format.
if [ "$mode" = test ]; then packages+=(clang-format); fi
if [ "$mode" = sanitize ]; then packages+=(libgcc-12-dev); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "missing packages: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

case "$mode" in
  run)
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_WERROR=OFF
    # The program pulls in its template, workgroup file and help.
    cmake --build "$build" -j"$(nproc)" --target zuvrax
    exec "$build/bin/zuvrax" "${@:2}"
    ;;
  test)
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_WERROR=ON
    cmake --build "$build" -j"$(nproc)"
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600
    ;;
  sanitize)
    sbuild=${ZUVRAX_SANITIZE_BUILD_DIR:-$here/build-sanitize}
    # Frame pointers kept for whole stacks; any finding of UBSan ends the test like one of ASan.
    flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    # Warnings are the plain build's gate: the sanitizers make GCC warn where nothing is wrong.
    cmake -S "$here" -B "$sbuild" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_WERROR=OFF \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
      -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
      -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
    cmake --build "$sbuild" -j"$(nproc)"
    cd "$sbuild"
    # Leaks are not looked for: Qt and fontconfig keep caches until exit.
    ASAN_OPTIONS=detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1 \
      UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
      ctest --output-on-failure -j"$(nproc)" --timeout 1200
    ;;
  *)
    echo "usage: $0 run|test|sanitize" >&2
    exit 2
    ;;
esac
