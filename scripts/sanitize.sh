#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer in ./build-sanitize and runs the whole test suite there.
# No sanitizer recovers: any report fails the test it happens in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

build="$root/build-sanitize"
# Unoptimised, with line tables only: the reports still name file and line,
# and the build takes a quarter of the time of an optimised one with full
# debug information.
source "$root/scripts/compiler_cache.sh"
cmake -S "$root" -B "$build" -G Ninja "${cache_flags[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" \
  -DRAINNODE_SANITIZE=ON -DRAINNODE_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
