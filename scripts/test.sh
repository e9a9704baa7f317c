#!/usr/bin/env bash
# Sets up, builds and runs every test; the tests need no display.
set -euo pipefail
# The window is tested at its design font and at larger ones, and with
# texts in other writing systems in the fonts Debian has for them; and in
# Nimbus Sans, which Qt leaves for another font in some scripts' items.
EXTRA_PACKAGES="fonts-liberation2 fonts-noto-core fonts-noto-cjk fonts-noto-color-emoji fonts-urw-base35 ${EXTRA_PACKAGES:-}"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
