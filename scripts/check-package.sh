#!/usr/bin/env bash
# Builds the Debian package, installs it the way a user would (apt-get, which
# pulls its dependencies), checks what it put on the system and that the
# installed program starts and matches its menu entry, then purges it and
# checks that nothing of it is left. Installs into /usr: needs root, or sudo.
set -euo pipefail
EXTRA_PACKAGES="dpkg-dev file desktop-file-utils xvfb xauth x11-utils"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi

fail() {
    echo "check-package: $*" >&2
    exit 1
}

if dpkg -s suffarr >/dev/null 2>&1; then
    fail "a package named suffarr is already on this system; this check installs and purges its own, so remove that one first (apt-get purge suffarr)"
fi

# The package, made afresh.
out="$build/package"
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out")
debs=("$out"/suffarr_*.deb)
((${#debs[@]} == 1)) || fail "expected one package in $out, found: ${debs[*]}"
deb=${debs[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
qt=$(sed -n 's/^SUFFARR_QT_MAJOR:STRING=//p' "$build/CMakeCache.txt")

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = suffarr ] || fail "package name is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "package version '$(field Version)' is not the project's $version"
[ "$(field Section)" = education ] || fail "section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=$(field Depends)
for library in libc6 libstdc++6 "libqt${qt}core" "libqt${qt}gui" "libqt${qt}widgets"; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
echo "Depends: $depends"

installed=0
cleanup() {
    if ((installed)); then
        DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get purge -y -qq suffarr >/dev/null || true
    fi
}
trap cleanup EXIT

DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "$deb"
installed=1
dpkg -s suffarr | grep -q '^Status: install ok installed' || fail "suffarr is not installed after apt-get install"

# Exactly these files, and nothing else (directories aside).
expected=(
    /usr/bin/suffarr
    /usr/share/applications/suffarr.desktop
    /usr/share/icons/hicolor/16x16/apps/suffarr.png
    /usr/share/icons/hicolor/32x32/apps/suffarr.png
    /usr/share/icons/hicolor/48x48/apps/suffarr.png
    /usr/share/icons/hicolor/scalable/apps/suffarr.svg
)
mapfile -t listed < <(dpkg -L suffarr)
files=()
for path in "${listed[@]}"; do
    [ -d "$path" ] || files+=("$path")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(printf '%s\n' "${files[@]}" | sort) \
    || fail "the package's files differ from the expected ones (< expected, > packaged)"

[ -x /usr/bin/suffarr ] || fail "/usr/bin/suffarr is not executable"
if ldd /usr/bin/suffarr | grep -q 'not found'; then
    ldd /usr/bin/suffarr >&2
    fail "/usr/bin/suffarr links libraries that are not installed"
fi
for size in 16 32 48; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/suffarr.png
    file -b "$icon" | grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" \
        || fail "$icon is not a ${size}x${size} RGBA picture: $(file -b "$icon")"
done
file -b /usr/share/icons/hicolor/scalable/apps/suffarr.svg | grep -q SVG \
    || fail "the scalable icon is not an SVG picture"

# The menu entry: valid, and naming the program and the icon that came with it.
entry=/usr/share/applications/suffarr.desktop
desktop-file-validate "$entry" || fail "$entry is not a valid desktop entry"
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Exec)" = suffarr ] || fail "Exec is '$(key Exec)'"
[ "$(command -v "$(key Exec)")" = /usr/bin/suffarr ] || fail "Exec does not find /usr/bin/suffarr"
[ "$(key Icon)" = suffarr ] || fail "Icon is '$(key Icon)', the installed icons are named suffarr"
[ "$(key Name)" = "Поиск подстроки с помощью суффиксного массива" ] || fail "Name is '$(key Name)'"

# The installed program opens its window on an X display, and the window's
# class is the one the menu entry names, by which a desktop gives the window
# the entry's icon.
wm_class=$(xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    QT_QPA_PLATFORM=xcb /usr/bin/suffarr 2>/dev/null &
    program=$!
    for _ in $(seq 50); do
        sleep 0.2
        for window in $(xwininfo -root -children | grep -oE "^ +0x[0-9a-f]+"); do
            properties=$(xprop -id "$window" _NET_WM_PID _NET_WM_WINDOW_TYPE WM_CLASS)
            if grep -qx "_NET_WM_PID(CARDINAL) = $program" <<<"$properties" \
                && grep -q "_NET_WM_WINDOW_TYPE_NORMAL" <<<"$properties"; then
                grep "^WM_CLASS" <<<"$properties" || echo "no WM_CLASS"
                kill "$program"
                exit 0
            fi
        done
    done
    kill "$program"
') || true
echo "window: $wm_class"
[ -n "$wm_class" ] || fail "the installed program opened no window within 10 s"
[[ $wm_class == *"\"$(key StartupWMClass)\"" ]] \
    || fail "the window's class ($wm_class) is not the entry's StartupWMClass ($(key StartupWMClass))"

# Purged, nothing of it is left: no file, no directory that no other package
# owns, no record in dpkg's database.
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get purge -y -qq suffarr
installed=0
if dpkg -s suffarr >/dev/null 2>&1; then fail "dpkg still knows suffarr after the purge"; fi
for path in "${listed[@]}"; do
    [ -e "$path" ] || continue
    [ -d "$path" ] || fail "$path is left after the purge"
    dpkg -S "$path" >/dev/null 2>&1 || fail "directory $path is left after the purge and belongs to no package"
done
leftovers=$(find /var/lib/dpkg/info -name 'suffarr.*')
[ -z "$leftovers" ] || fail "dpkg's database keeps: $leftovers"

echo "check-package: $(basename "$deb") built, installed, checked and purged in ${SECONDS}s"
