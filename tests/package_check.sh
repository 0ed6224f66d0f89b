#!/bin/sh
# Builds the Debian package from the build tree into a temporary folder and checks its control
# fields, its files, what lintian says of it and what installing and removing it leaves. Nothing is
# installed on this machine: dpkg works in a root folder of its own.
set -eu
build=$1
version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$out/velomar_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velomar ] && [ "$(field Version)" = "$version" ] || fail "name or version"
field Depends | grep -q 'fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n' || fail "CJK font, Qt's Chinese texts"
field Depends | grep -q 'libqt6widgets6 (>=' || fail "library dependencies not computed"
[ "$(field Recommends)" = 'fcitx5-frontend-qt6 | ibus' ] || fail "input method frontends"
[ -n "$(field Maintainer)" ] && [ -n "$(field Homepage)" ] && [ "$(field Section)" = text ] || fail "fields"
field Description | grep -q '中文' || fail "Chinese description"
files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
id=$(echo "$files" | sed -n 's|^\./usr/share/applications/\(.*\)\.desktop$|\1|p')
for f in bin/velomar bin/velomar-batch share/man/man1/velomar-batch.1.gz lib/velomar/libPifu.so share/velomar/Pifu.she share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/48x48/apps/$id.png; do
    echo "$files" | grep -qx "\./usr/$f" || fail "missing /usr/$f"
done

tree=$out/tree
dpkg-deb -x "$deb" "$tree"
# The menu entry validates without a hint.
hints=$(desktop-file-validate "$tree/usr/share/applications/$id.desktop") && [ -z "$hints" ] || fail "desktop entry: $hints"
# The copyright file in the machine-readable format (read by python3-debian's parser), one Files: *
# paragraph naming the licence the metadata names, with its text.
license=$(sed -n 's|.*<project_license>\(.*\)</project_license>.*|\1|p' "$tree/usr/share/metainfo/$id.metainfo.xml")
/usr/bin/python3 - "$tree/usr/share/doc/velomar/copyright" "$license" <<'PY' || fail "copyright file"
import sys
from debian.copyright import Copyright
with open(sys.argv[1], encoding="utf-8") as f:
    c = Copyright(f, strict=True)
p = c.find_files_paragraph("any/file")
assert p and p.files == ("*",) and p.copyright.strip(), "no Files: * paragraph with a copyright"
assert p.license.synopsis == sys.argv[2] and p.license.text.strip(), "not the licence %s with its text" % sys.argv[2]
PY
zcat "$tree/usr/share/doc/velomar/changelog.gz" >"$out/changelog" || fail "changelog.gz"
[ "$(dpkg-parsechangelog -l "$out/changelog" -S Version)" = "$version" ] || fail "changelog: no entry for $version"

# No maintainer scripts: a postrm keeps a removed package in dpkg's "rc" state until it is purged.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -vx -e ./ -e ./control -e ./md5sums) &&
    fail "control files besides control and md5sums:" $control
# Installed and removed in a dpkg root of its own (dpkg wants ldconfig in PATH, though it runs none).
root=$out/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
in_root() { PATH=$PATH:/usr/sbin:/sbin dpkg --root="$root" --log=/dev/null --force-not-root "$@" >"$out/dpkg.log" 2>&1 ||
    fail "dpkg $*: $(cat "$out/dpkg.log")"; }
state() { dpkg-query --root="$root" -W -f='${db:Status-Abbrev}' velomar 2>/dev/null || true; }
in_root --force-depends --install "$deb"
[ "$(state)" = "ii " ] || fail "state after install: $(state)"
in_root --remove velomar
case $(state) in "" | un* | pn*) ;; *) fail "state after remove: $(state)" ;; esac
# velomar-batch runs from the package's tree with no display, and its manual page reads without a warning.
"$tree/usr/bin/velomar-batch" --version | grep -qx "velomar-batch v$version" || fail "velomar-batch --version"
warnings=$(LANG=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$tree/usr/share/man/man1/velomar-batch.1.gz" 2>&1 >/dev/null) &&
    [ -z "$warnings" ] || fail "manual page: $warnings"
# lintian: no error and no warning but no-manual-page (see README, Install).
lintian --fail-on error,warning --suppress-tags no-manual-page "$deb" 2>/dev/null || fail "lintian"
echo "1 passed, 0 failed"
