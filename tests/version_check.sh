#!/bin/sh
# A release raises the version in project() and nowhere else. A copy of the sources is configured
# (not built) with another version: the generated header that the caption and the version check
# read, the package, its changelog and its metadata must all carry it. And no source of the program
# holds a version of its own in a string, which a build at the current version would not notice.
set -eu
cmake=$1
src=$2
qt=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

current=$(sed -n 's/^project(Velomar VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$current" ] || fail "no version in project()"
mkdir "$out/src"
for part in CMakeLists.txt cmake keywords engine batch online ui skin app packaging doc; do cp -r "$src/$part" "$out/src/"; done
sed -i "s/^project(Velomar VERSION $current/project(Velomar VERSION 9.8.7/" "$out/src/CMakeLists.txt"
"$cmake" -S "$out/src" -B "$out/build" -DVELOMAR_BUILD_TESTS=OFF -DQt6_DIR="$qt" >"$out/log" 2>&1 ||
    fail "configure: $(cat "$out/log")"
b=$out/build
grep -q '^inline constexpr char Version\[\] = "v9\.8\.7";' "$b/config/VelomarConfig.h" || fail "VelomarConfig.h"
grep -q '^set(CPACK_PACKAGE_VERSION "9\.8\.7")' "$b/CPackConfig.cmake" || fail "the package's version"
head -n 1 "$b/packaging/doc/changelog" | grep -q '^velomar (9\.8\.7) ' || fail "the changelog's top entry"
grep -q '<release version="9\.8\.7"' "$b"/packaging/*.metainfo.xml || fail "the metadata's release"

cd "$src"
dotted=$(echo "$current" | sed 's/\./\\./g')
if literals=$(grep -rnE --include='*.cpp' --include='*.h' "\"[^\"]*v[0-9]+\.[0-9]|\"v?$dotted\"" \
    keywords engine batch online ui skin app | grep -vE '^[^:]*:[0-9]+:\s*//'); then
    fail "a version written out in the sources: $literals"
fi
echo "1 passed, 0 failed"
