#!/usr/bin/env bash
# Sets up, builds and starts the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "suffarr needs a graphical display: neither DISPLAY nor WAYLAND_DISPLAY is set (start it from a desktop session, or under xvfb-run)." >&2
    exit 1
fi
exec "$root/build/suffarr"
