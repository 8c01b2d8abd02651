#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice: a normal build, then a
# build under AddressSanitizer and UndefinedBehaviorSanitizer, where any finding fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Normal build"
# One unit per source file, so that each file is compiled on its own (scripts/run.sh leaves the
# shared build folder set to large units).
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZA_WERROR=ON \
    -DQUENZA_UNITY_BUILD=OFF
ctest --test-dir "$root/build" --output-on-failure --parallel "$jobs"

echo "== Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
"$root/scripts/build.sh" "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DQUENZA_SANITIZE=ON \
    -DQUENZA_WERROR=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure --parallel "$jobs"
