#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (no error, no warning),
# installs it with apt, validates its desktop entry, AppStream metadata and
# manual pages, exports the installed example book with the installed programs
# alone, compares the files with the build tree's exporter, and removes the
# package.
# Usage: package-test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2

if [ "$(id -u)" -ne 0 ]; then
  echo "package test: needs root to install the package; skipped"
  exit 77
fi
if dpkg-query -W -f='${Status}' quorvel 2>/dev/null | grep -q "install ok installed"; then
  echo "package test: a quorvel package is installed already; skipped so it is left alone"
  exit 77
fi

work=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then
    apt-get purge -y -qq quorvel >/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

rm -rf "$build/package"
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/package/quorvel_*.deb)
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || true
if grep -E '^[EW]: ' "$work/lintian.log"; then
  echo "package test: lintian reports errors or warnings"
  exit 1
fi
apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
installed=1
desktop-file-validate /usr/share/applications/quorvel.desktop
appstreamcli validate --no-net /usr/share/metainfo/example.quorvel.Quorvel.metainfo.xml >/dev/null
for size in 16 22 24 32 48 64 128 256; do
  file -b "/usr/share/icons/hicolor/${size}x$size/apps/quorvel.png" | grep -q "$size x $size" ||
    { echo "missing or wrong $size px icon"; exit 1; }
done
test -f /usr/share/icons/hicolor/scalable/apps/quorvel.svg
test -f /usr/share/doc/quorvel/copyright
zcat /usr/share/doc/quorvel/changelog.gz | head -1 | grep -qF "quorvel ($version)"

# The installed programs alone: no build tree on the path, no library setting.
unset QUORVEL_WAB_DLLPATH
export TZ=UTC
cd "$work"
book=/usr/share/quorvel/examples/example.wab
for program in quorvel quorvel-export quorvel-book; do
  test -x "/usr/bin/$program" || { echo "missing /usr/bin/$program"; exit 1; }
  mandoc -T lint -W warning /usr/share/man/man1/"$program".1.gz ||
    { echo "manual page of $program missing or not clean"; exit 1; }
done
test -f /usr/share/applications/quorvel.desktop
test -f /usr/share/mime/packages/quorvel.xml
for program in quorvel quorvel-export quorvel-book; do
  test "$(HOME=$work/home DISPLAY= "/usr/bin/$program" --version)" = "$program $version" ||
    { echo "$program --version does not say $version"; exit 1; }
done

for kind in vcard csv; do
  /usr/bin/quorvel-export -q -f "$kind" -o "installed.$kind" "$book"
  "$build/bin/quorvel-export" -q -f "$kind" -o "built.$kind" "$book"
  cmp "installed.$kind" "built.$kind"
  test -s "installed.$kind"
done
/usr/bin/quorvel-export -q -f csv-split --header installed-header.csv -o installed-data.csv "$book"
"$build/bin/quorvel-export" -q -f csv-split --header built-header.csv -o built-data.csv "$book"
cmp installed-header.csv built-header.csv
cmp installed-data.csv built-data.csv

apt-get purge -y -qq quorvel >/dev/null
installed=0
test ! -e /usr/bin/quorvel-export
echo "package test: installed, exported the example book in three kinds, removed"
