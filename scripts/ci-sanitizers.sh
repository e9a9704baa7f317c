#!/usr/bin/env bash
# Builds everything in Debug with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs every test under them; the first error fails the run.
set -euo pipefail
EXTRA_PACKAGES="fonts-liberation2 fonts-noto-core ${EXTRA_PACKAGES:-}"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# Flags go through the standard cache settings of this build folder only, so
# the Release build in build/ stays as it is.
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
cmake --build "$root/build-asan" --parallel "$(nproc)"

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$root/build-asan"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
