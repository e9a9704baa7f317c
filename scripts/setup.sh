#!/usr/bin/env bash
# Installs the Debian packages the build needs, where missing, then builds in
# Release into build/. Sourced by run.sh and test.sh; extra packages may be
# named in EXTRA_PACKAGES, another build folder in BUILD_DIR and further
# cmake options in CMAKE_ARGS.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The tests check the engine against libdivsufsort, found by pkg-config.
packages=(cmake make g++ qtbase5-dev qtbase5-dev-tools fonts-dejavu-core pkg-config libdivsufsort-dev ${EXTRA_PACKAGES:-})

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' \
        || missing+=("$package")
done

if ((${#missing[@]})); then
    if [ "$(id -u)" -eq 0 ]; then
        apt_get=(apt-get)
    elif command -v sudo >/dev/null 2>&1; then
        apt_get=(sudo apt-get)
    else
        echo "Missing Debian packages. As root, run: apt-get install ${missing[*]}" >&2
        exit 1
    fi
    "${apt_get[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release ${CMAKE_ARGS:-}
cmake --build "$build" --parallel "$(nproc)"
