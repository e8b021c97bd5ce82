#!/usr/bin/env bash
# Builds the p6k package from what `cmake --install` installs under /usr, so
# the package and the install rules hold the same files.
#   build_deb.sh BUILD_TREE CONTROL OUTPUT.deb EPOCH
# CONTROL is the configured control file; the fields that depend on the
# built files (Installed-Size, Depends) are added here. Every file, folder and
# archive member carries the time EPOCH (seconds since 1970), so one commit
# gives one package.
set -euo pipefail
tree="$1" control="$2" deb="$3" epoch="$4"
umask 022
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"

DESTDIR="$root" cmake --install "$tree" --prefix /usr --strip >/dev/null
# The compilers' names and versions: nothing the program needs at run time.
strip --remove-section=.comment "$root/usr/bin/p6k"

# dpkg-shlibdeps wants a debian/control naming the package beside it.
mkdir -p "$work/debian"
printf 'Source: p6k\n\nPackage: p6k\nArchitecture: any\n' >"$work/debian/control"
depends="$(cd "$work" && dpkg-shlibdeps -O root/usr/bin/p6k 2>/dev/null | sed -n 's/^shlibs:Depends=//p')"
[[ -n "$depends" ]] || { echo "build_deb.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
size="$(du -sk --apparent-size "$root/usr" | cut -f1)"

mkdir -p "$root/DEBIAN"
sed "/^Description:/i Installed-Size: $size\nDepends: $depends" "$control" >"$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"

find "$root" -exec touch -h -d "@$epoch" {} +
mkdir -p "$(dirname "$deb")"
SOURCE_DATE_EPOCH="$epoch" dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
