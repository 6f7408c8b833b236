#!/usr/bin/env bash
# Set-up on a fresh Debian 12 machine.
#   tessalune.sh run   installs what is missing, builds in Release and starts the program
#   tessalune.sh test  installs what is missing, builds everything and runs every test
set -euo pipefail
cd "$(dirname "$0")/.."

# The windows are laid out for Arial metrics, which Liberation Sans matches.
# WebP pictures load through Qt's image-formats plugins; cpack's library dependency scan runs file.
# Portable puzzles: the start stage links zstd and nettle (SHA-256) statically, the runtime is
# compressed with the zstd tool.
build_packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
  libqt6opengl6-dev libjpeg62-turbo-dev fonts-liberation2 qt6-image-formats-plugins file
  libzstd-dev zstd nettle-dev)
# The About window opens web addresses through xdg-open.
run_packages=(xdg-utils qt6-image-formats-plugins)
# Tests, benchmarks, clang with its sanitizer and libFuzzer runtimes for the fuzz targets and
# llvm-symbolizer for their reports, and the Debian package's tools (dpkg-shlibdeps) and the
# launcher files' validators; a virtual X server and xdotool for the portable puzzles started in a
# minimal root, which also takes every package of src/portable/HostLibraryPackages.txt; a window
# manager and the X tools that read its frames for the program run as a person sees it; Chromium
# and Node.js, which drives it, for the puzzle's web page; debootstrap and curl make the bare
# Debian 11 system the portable puzzles are tried in (kept in /var/cache/tessalune-test-roots).
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev llvm
  dpkg-dev desktop-file-utils appstream xvfb xdotool openbox x11-utils chromium nodejs
  debootstrap curl)
host_library_list=src/portable/HostLibraries.txt
host_library_map=src/portable/HostLibraryPackages.txt
# Every program a test or a test stage starts, with the package that brings it.
test_tools=(Xvfb=xvfb xdotool=xdotool chroot=coreutils timeout=coreutils file=file zstd=zstd
  clang++=clang llvm-symbolizer=llvm cpack=cmake dpkg-shlibdeps=dpkg-dev
  desktop-file-validate=desktop-file-utils appstreamcli=appstream openbox=openbox xprop=x11-utils
  xwininfo=x11-utils chromium=chromium node=nodejs debootstrap=debootstrap curl=curl)

fail() {
  echo "tessalune.sh: $*" >&2
  exit 1
}

# The packages of the host library map, after checking that every host library has one.
host_library_packages() {
  local library
  for library in $(grep -v -e '^#' -e '^$' "$host_library_list"); do
    grep -q "^$library " "$host_library_map" ||
      fail "$host_library_map names no package for $library"
  done
  grep -v -e '^#' -e '^$' "$host_library_map" | cut -d' ' -f2 | sort -u
}

# Fails naming the package of each test tool the lists do not install, before anything is built.
check_test_tool_packages() {
  local listed=" ${build_packages[*]} ${test_packages[*]} $* coreutils " entry
  for entry in "${test_tools[@]}"; do
    [[ $listed == *" ${entry#*=} "* ]] ||
      fail "the tests start ${entry%%=*}, but no package list installs ${entry#*=}"
  done
}

# After installing: every host library and test tool is here, or the package that brings it is named.
check_test_needs() {
  local entry library package
  for entry in "${test_tools[@]}"; do
    command -v "${entry%%=*}" >/dev/null || fail "${entry%%=*} is missing: install ${entry#*=}"
  done
  while read -r library package; do
    [ -e "/lib/x86_64-linux-gnu/$library" ] || fail "$library is missing: install $package"
  done < <(grep -v -e '^#' -e '^$' "$host_library_map")
}

install_missing() { # install_missing <packages...>
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null ||
      fail "missing packages; as root, run: apt-get install ${missing[*]}"
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
}

build() { # build <dir> <cmake options...>
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" --parallel "$(nproc)"
}

# The whole test suite once more, built with AddressSanitizer (leaks reported) and
# UndefinedBehaviorSanitizer, any finding failing its test. The benchmarks are left out: they
# measure, and nothing in them is tested.
run_sanitized_tests() {
  local flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  build build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALUNE_BENCH=OFF \
    -DTESSALUNE_PORTABLE_LEVEL="$test_portable_level" \
    "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
  (cd build-sanitize &&
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --timeout 1800 "${ctest_exclusions[@]}")
}

# The portable puzzle tests build a root to chroot into and mount /proc in it: only root can.
ctest_exclusions=()
[ "$(id -u)" -eq 0 ] || ctest_exclusions=(-E '^portable_puzzle_tests$')

# Test builds bundle the portable runtime fast; the package's build uses the strong default.
test_portable_level=3

# All fuzzers together get FUZZ_SECONDS (23 minutes unless set), shared evenly; time a fuzzer
# leaves unused (it ran its inputs sooner) goes to the ones after it.
run_fuzzers() {
  build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTESSALUNE_FUZZ=ON
  local fuzzers=() fuzzer
  for fuzzer in build-fuzz/fuzz/fuzz_*; do
    # Only the programs: the build also leaves fuzz_*_autogen folders here.
    [ -f "$fuzzer" ] && [ -x "$fuzzer" ] && fuzzers+=("$fuzzer")
  done
  local left_seconds=${FUZZ_SECONDS:-1380} left_fuzzers=${#fuzzers[@]} started
  for fuzzer in "${fuzzers[@]}"; do
    local name corpus max_len=65536 seconds=$((left_seconds / left_fuzzers))
    # libFuzzer takes 0 for no limit at all.
    ((seconds >= 1)) || seconds=1
    name=$(basename "$fuzzer")
    # Document targets get inputs large enough for costs that grow with the square to show.
    case "$name" in
      fuzz_load_from_text | fuzz_puzzle_cut) max_len=400000 ;;
    esac
    corpus=$(mktemp -d)
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
    echo "== $name ($seconds s)"
    started=$SECONDS
    "$fuzzer" -runs=200000 -max_total_time="$seconds" -max_len="$max_len" -timeout=10 "$corpus"
    rm -rf "$corpus"
    left_seconds=$((left_seconds - (SECONDS - started)))
    left_fuzzers=$((left_fuzzers - 1))
  done
}

case "${1:-}" in
  run)
    install_missing "${build_packages[@]}" "${run_packages[@]}"
    build build-release -DCMAKE_BUILD_TYPE=Release -DTESSALUNE_TESTS=OFF -DTESSALUNE_BENCH=OFF
    exec build-release/src/app/tessalune
    ;;
  test)
    host_packages=$(host_library_packages)
    # shellcheck disable=SC2086 # one word a package
    check_test_tool_packages $host_packages
    # shellcheck disable=SC2086
    install_missing "${build_packages[@]}" "${test_packages[@]}" $host_packages
    check_test_needs
    scripts/check_layers.sh
    build build-test -DCMAKE_BUILD_TYPE=Release -DTESSALUNE_PORTABLE_LEVEL="$test_portable_level"
    (cd build-test && ctest --output-on-failure --timeout 900 "${ctest_exclusions[@]}")
    run_sanitized_tests
    scripts/check_package.sh build-test
    run_fuzzers
    [ ${#ctest_exclusions[@]} -eq 0 ] ||
      echo "tessalune.sh: not run without root: portable_puzzle_tests (run the test command as root)"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
