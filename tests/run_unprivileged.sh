#!/bin/sh
# Runs a test program as an unprivileged user, since root reads and writes every file whatever its
# permissions. The program and its data are copied to a folder everyone can read first: the build
# may lie where that user cannot go (root's home).
set -eu
program=$1
data=$2
shift 2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/"
cp -r "$data" "$dir/data"
chmod -R a+rX "$dir"
cd "$dir"
setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp VELOMAR_TEST_DATA="$dir/data" \
    "$dir/$(basename "$program")" "$@"
