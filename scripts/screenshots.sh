#!/usr/bin/env bash
# Renders the real window at four moments of a lesson: idle after start,
# mid-construction, mid-search with the candidate rows red, and with the
# answer, as idle.png, construction.png, search.png and answer.png in docs/
# (or in the folder given; a text and a pattern may follow, see
# screenshots.cpp). The window runs on a virtual X server (Xvfb) through Qt's
# xcb platform, as on a desktop at 96 dpi, in DejaVu Sans 9, the font Qt
# picks where no desktop sets one.
#
#   bash scripts/screenshots.sh [FOLDER [TEXT PATTERN]]
set -euo pipefail
EXTRA_PACKAGES="xvfb xauth"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

out=${1:-$root/docs}
shift $(($# > 0 ? 1 : 0))
mkdir -p "$out"
out=$(cd "$out" && pwd)
names=(idle.png construction.png search.png answer.png)
for name in "${names[@]}"; do rm -f "$out/$name"; done

xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    env QT_QPA_PLATFORM=xcb "$build/scripts/screenshots" --font "DejaVu Sans,9" "$out" "$@"

for name in "${names[@]}"; do
    [ -s "$out/$name" ] || { echo "screenshots: $out/$name was not written" >&2; exit 1; }
done
echo "screenshots: ${names[*]} in $out"
