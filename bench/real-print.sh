#!/usr/bin/env bash
# Prints an item once through a real print system: a CUPS queue with the PDF
# back end. Print Item sends the item to that queue; the PDF the queue
# writes must hold the same text as Export to PDF's. Not part of make test:
# it installs and starts a print system. Usage: bench/real-print.sh [build]
set -euo pipefail
build=${1:-build}
sudo=$([ "$(id -u)" = 0 ] || echo sudo)
missing=""
for p in cups printer-driver-cups-pdf poppler-utils; do
  dpkg-query -W -f='${Status}' $p 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
lpstat -r >/dev/null 2>&1 || { $sudo service cups start || ($sudo cupsd && sleep 2); }
queue=QuivoraPDF
ppd=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF/ {print $1; exit}')
$sudo lpadmin -p $queue -E -v cups-pdf:/ ${ppd:+-m "$ppd"}
$sudo lpoptions -d $queue >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Where the PDF back end writes: the job owner's folder, or the anonymous one.
spool_dirs="/var/spool/cups-pdf/ANONYMOUS /var/spool/cups-pdf/$(id -un) $HOME/PDF"
for d in $spool_dirs; do [ -d "$d" ] && find "$d" -name '*.pdf' -delete; done

printf '%s\r\n' "Quivora Ver. 2.1" "Created: 1/2/26" "LastSaved: 1/2/26" Res1 Res2 Res3 Tree \
  "1000000 0000000 \$" "3000001 1000000 Letter" End Data End 3000001 \
  '{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}\f0\fs24 Dear reader,\par' \
  '\f1\fs28\b A printed item\b0\par' \
  '\f0\fs20 This text went through Print Item to a real print queue and came back as a PDF.\par' \
  '}' End > "$out/letter.qvr"
XDG_CONFIG_HOME="$out/config" QT_QPA_PLATFORM=offscreen \
  "$build/bench/print_item" "$out/letter.qvr" '$\Letter' "$out/export.pdf"

printed=""
for i in $(seq 1 60); do
  printed=$(for d in $spool_dirs; do [ -d "$d" ] && find "$d" -name '*.pdf'; done | head -n 1)
  [ -n "$printed" ] && break
  sleep 1
done
[ -n "$printed" ] || { echo "FAIL: the print queue wrote no PDF"; lpstat -W all -o; exit 1; }
sleep 1 # the back end closes the file after naming it
words() { pdftotext "$1" - | tr -d ' \n\f' | sed 's/Page1$//'; }
echo "printed by the queue: $printed ($(pdfinfo "$printed" | awk '/^Title/ {print $2}'))"
echo "queue:  $(words "$printed")"
echo "export: $(words "$out/export.pdf")"
if [ "$(words "$printed")" = "$(words "$out/export.pdf")" ]; then
  echo "OK: the printed item and Export to PDF hold the same text"
else
  echo "FAIL: the printed text differs from Export to PDF's"; exit 1
fi
