#!/usr/bin/env bash
# Builds the tests that need no window under AddressSanitizer and UndefinedBehaviorSanitizer
# in build-sanitize/, and runs them.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$top/build-sanitize"
labels='unit|device|cli'
# Configured every time, so that the test list below is that of the sources as they are.
# shellcheck disable=SC2086
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQLV_SANITIZE=ON -DQLV_WERROR=ON ${QLV_CMAKE_ARGS:-} >/dev/null
# Only the executables those tests run (each test is named after its target), and the
# programs they start.
mapfile -t targets < <(cd "$build" && ctest -N -L "$labels" |
    sed -n 's/^ *Test *#[0-9]*: *\([A-Za-z0-9_-]*\)$/\1/p')
cmake --build "$build" -- -j2 qlvtool k817t-sim "${targets[@]}"
cd "$build"
# Qt keeps some allocations to the end; leaks are not what this run looks for. The fault
# injection library is preloaded into qlvtool ahead of the sanitizer runtime.
export ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 -L "$labels"
