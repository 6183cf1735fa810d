#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite with CTest.
#   scripts/test.sh                  the normal build (build/)
#   scripts/test.sh --preset asan    AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)
#   scripts/test.sh --preset tsan    ThreadSanitizer on the threaded non-Qt code (build-tsan/)
#   scripts/test.sh --preset windows the Windows program built with MinGW-w64, run under Wine (build-windows/)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

preset=default
if [ "${1:-}" = "--preset" ]; then
    preset=${2:?"--preset needs a name: default, asan, tsan or windows"}
fi

ensure_packages "${BUILD_PACKAGES[@]}"
if [ "$preset" = windows ]; then
    ensure_packages "${WINDOWS_PACKAGES[@]}"
    . scripts/wine-env.sh
fi

build_preset "$preset"
ctest --preset "$preset" -j "$(nproc)"
