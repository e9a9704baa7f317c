#!/usr/bin/env bash
# Builds the same sources with Qt 6 in build-qt6/ and runs every test there;
# the tests need no display.
set -euo pipefail
EXTRA_PACKAGES="qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins fonts-liberation2 fonts-noto-core"
BUILD_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build-qt6"
CMAKE_ARGS="-DSUFFARR_QT_MAJOR=6"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

grep -qx 'SUFFARR_QT_MAJOR:STRING=6' "$build/CMakeCache.txt" \
    || { echo "test-qt6: $build is not configured for Qt 6" >&2; exit 1; }
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
echo "test-qt6: built and tested with Qt 6 in ${SECONDS}s"
