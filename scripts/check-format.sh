#!/usr/bin/env bash
# Fails when a tracked C++ source is not formatted as .clang-format says.
# Installs clang-format 14 where missing; another release may format alike
# but is not relied on. To format: clang-format-14 -i FILE...
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if ! command -v clang-format-14 >/dev/null 2>&1; then
    if [ "$(id -u)" -eq 0 ]; then apt_get=(apt-get); else apt_get=(sudo apt-get); fi
    "${apt_get[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -qq --no-install-recommends clang-format-14
fi

git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
echo "check-format: $(git ls-files '*.cpp' '*.h' | wc -l) files formatted"
