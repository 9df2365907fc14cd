#!/bin/sh
# Builds the Debian package once and checks it: contents, fields, ownership,
# stripped programs, and no lintian errors.  Usage: package.sh BUILD
set -eu
build=$1 out=$1/package-test
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 || { cat "$out.log"; fail "cpack"; }
deb=$(ls "$out"/quivora_*.deb)
list=$(dpkg-deb -c "$deb")
for f in usr/bin/quivora usr/bin/qvr usr/share/applications/quivora.desktop \
         usr/share/metainfo/com.corvanta.Quivora.metainfo.xml usr/share/mime/packages/quivora.xml \
         usr/share/icons/hicolor/scalable/apps/quivora.svg \
         usr/share/icons/hicolor/48x48/apps/quivora.png usr/share/icons/hicolor/256x256/apps/quivora.png \
         usr/share/man/man1/quivora.1.gz usr/share/man/man1/qvr.1.gz \
         usr/share/doc/quivora/copyright usr/share/doc/quivora/changelog.gz; do
  echo "$list" | grep -q " \./$f\$" || fail "$f is not in the package"
done
echo "$list" | awk '{print $2}' | grep -vqx "root/root" && fail "files not owned by root: $(echo "$list" | grep -v root/root | head -3)"
dpkg-deb -f "$deb" Maintainer | grep -q "<.*@.*>" || fail "maintainer without an address"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
rm -rf "$out/x" && dpkg-deb -x "$deb" "$out/x"
for p in quivora qvr; do
  file "$out/x/usr/bin/$p" | grep -q ", stripped" || fail "$p is not stripped"
done
lintian --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>&1 || true
cat "$out/lintian.txt"
grep -q "^E:" "$out/lintian.txt" && fail "lintian reports errors"
echo ok
