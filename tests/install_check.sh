#!/bin/sh
# Installs the build into a temporary DESTDIR and checks the tree as a desktop uses it: the metadata
# validates, every icon size is there, and the installed program starts on an X server, finds its
# skin, keeps the user's files in the per-user folder of $HOME and leaves nothing else behind.
set -eu
build=$1
root=$(mktemp -d)
pid=
xvfb=
left=
trap 'for p in $pid $left $xvfb; do kill "$p" 2>/dev/null || :; done; wait; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR=$root/dest cmake --install "$build" --prefix /usr >/dev/null
usr=$root/dest/usr
desktop=$(ls "$usr"/share/applications/*.desktop)
id=$(basename "$desktop" .desktop)
grep -qx "Icon=$id" "$desktop" || fail "icon name"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >/dev/null || fail "metadata"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$usr/share/metainfo/$id.metainfo.xml" ||
    fail "metadata names another desktop entry"
test -s "$usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon"
for size in 16 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    # Width and height stand in the PNG header as two big-endian 32-bit numbers at byte 16.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done

# An X server and no session bus: there libdbus has dbus-launch start a bus for Qt's accessibility
# bridge, which would outlive the program. Xvfb writes its display number once it takes clients.
command -v dbus-launch >/dev/null || fail "no dbus-launch (dbus-x11): nothing would start a bus"
mkfifo "$root/display"
Xvfb -displayfd 3 -nolisten tcp 3>"$root/display" 2>"$root/xvfb.log" &
xvfb=$!
read -r display <"$root/display" || fail "Xvfb did not start: $(cat "$root/xvfb.log")"
mkdir -m 700 "$root/home" "$root/runtime"
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$root/home" \
    XDG_RUNTIME_DIR="$root/runtime" DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$usr/bin/velomar" &
pid=$!
userdata=$root/home/.local/share/Velomar
# Started up once it catches SIGTERM, SIGHUP and SIGINT (0x4003 in the mask of caught signals).
ready() { [ $((0x$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status") & 0x4003)) -eq $((0x4003)) ]; }
for _ in $(seq 100); do
    [ -d "$userdata" ] && grep -q "$usr/lib/velomar/libPifu.so" "/proc/$pid/maps" && ready && break
    kill -0 "$pid" 2>/dev/null || fail "the installed program ended"
    sleep 0.1
done
[ -d "$userdata" ] || fail "no per-user folder"
grep -q "$usr/lib/velomar/libPifu.so" "/proc/$pid/maps" || fail "skin library not loaded"
# SIGTERM, as at a logout, saves as a close does, into the per-user folder.
ready || fail "SIGTERM not caught"
kill "$pid"
wait "$pid" || fail "SIGTERM ended the program with status $?"
pid=
[ -f "$userdata/Data.txt" ] && [ -f "$userdata/Setting.ini" ] || fail "SIGTERM saved nothing"
[ ! -e "$usr/bin/Data.txt" ] && [ ! -e "$usr/bin/Setting.ini" ] || fail "files written beside the program"
# Nothing the program started runs on (a dbus-launch or dbus-daemon would carry its HOME), and its
# two files are all it made in HOME (dbus-launch would make ~/.dbus).
for comm in /proc/[0-9]*/comm; do
    case $(cat "$comm" 2>/dev/null) in dbus-launch | dbus-daemon) ;; *) continue ;; esac
    p=${comm%/comm}
    grep -qzx "HOME=$root/home" "$p/environ" 2>/dev/null && left="$left ${p#/proc/}"
done
[ -z "$left" ] || fail "still running after the program ended:$left"
made=$(cd "$root/home" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$made" = "./.local ./.local/share ./.local/share/Velomar ./.local/share/Velomar/Data.txt \
./.local/share/Velomar/Setting.ini " ] || fail "made in HOME: $made"
echo "1 passed, 0 failed"
