#!/bin/sh
# The desktop entry and the AppStream metainfo pass their validators, and the
# icons were painted at every size.  Usage: desktop.sh SOURCE BUILD
set -eu
src=$1/packaging build=$2
desktop-file-validate "$src/quivora.desktop"
appstreamcli validate --no-net --pedantic "$src/com.corvanta.Quivora.metainfo.xml"
for s in 16 22 24 32 48 64 128 256; do
  f=$build/icons/hicolor/${s}x$s/apps/quivora.png
  file "$f" | grep -q "PNG image data, $s x $s" || { echo "FAIL: $f"; exit 1; }
done
grep -q "<svg" "$build/icons/hicolor/scalable/apps/quivora.svg"
grep -c "<path\|<line" "$build/icons/hicolor/scalable/apps/quivora.svg" | grep -qx 9 || { echo "FAIL: the SVG does not hold the icon's nine shapes"; exit 1; }
echo ok
