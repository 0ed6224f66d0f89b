#!/bin/sh
# The layers as the linker and the includes see them. The headless test programs given load Qt Core
# and Qt Test and no other Qt library, and the headless programs (velomar-batch) Qt Core alone:
# linking the window or Qt Gui into the engine, the files or the batch shows here, not as a display
# those tests and users suddenly need. And no source of the program depends on
# itself through its includes, a source and its header counting as one (A.cpp including B.h while
# B.cpp includes A.h is a circle too).
set -eu
src=$1
shift
fail() { echo "FAIL: $*"; exit 1; }

for program in "$@"; do
    qt=$(ldd "$program" | grep -o 'libQt6[A-Za-z]*' | sort -u | tr '\n' ' ')
    case $(basename "$program") in
    tst_*) want="libQt6Core libQt6Test " ;;
    *) want="libQt6Core " ;; # a program: no Qt Test either
    esac
    [ "$qt" = "$want" ] || fail "$(basename "$program") loads $qt"
done

cd "$src"
sources=$(find keywords engine batch online ui skin app -name '*.h' -o -name '*.cpp')
headers=$(echo "$sources" | sed -n 's|.*/\(.*\)\.h$|\1|p')
# "includer included" for every include of one of the program's own headers.
pairs=$(grep -H '^#include "' $sources | sed -n 's|^\([^:]*/\)*\([^/:.]*\)\.[a-z]*:#include "\([^"]*\)\.h".*|\2 \3|p' |
    awk -v headers="$headers" 'BEGIN { n = split(headers, h, "\n"); for (i = 1; i <= n; ++i) known[h[i]] }
                               ($2 in known) && $1 != $2')
[ -n "$pairs" ] || fail "no includes found under $src"
loop=$(echo "$pairs" | tsort 2>&1 >/dev/null) || fail "include circle: $loop"
echo "1 passed, 0 failed"
