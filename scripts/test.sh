#!/usr/bin/env bash
# Builds the project twice (a normal build with warnings as errors, and one under
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test in each.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

for kind in normal sanitize; do
    cmake --preset "$kind" >/dev/null
    cmake --build --preset "$kind" -j "$jobs"
    ctest --preset "$kind" -j "$jobs"
done
