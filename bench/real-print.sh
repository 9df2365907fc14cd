#!/usr/bin/env bash
# Prints an item once through a real print system: a CUPS queue with the PDF
# back end. Print Item sends the item to that queue; the PDF the queue
# writes must show the same text in the same places as Export to PDF's.
# Not part of make test:
# it installs and starts a print system. Usage: bench/real-print.sh [build]
set -euo pipefail
build=${1:-build}
sudo=$([ "$(id -u)" = 0 ] || echo sudo)
missing=""
for p in cups printer-driver-cups-pdf poppler-utils python3; do
  dpkg-query -W -f='${Status}' $p 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
out=$(mktemp -d)
started=""
cleanup() { [ -n "$started" ] && $sudo kill "$started" 2>/dev/null; rm -rf "$out"; }
trap cleanup EXIT
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  $sudo cupsd -f & started=$!
  for i in $(seq 1 20); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.5; done
fi
queue=QuivoraPDF
ppd=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF/ {print $1; exit}')
$sudo lpadmin -p $queue -E -v cups-pdf:/ ${ppd:+-m "$ppd"} -o PageSize=A4
$sudo lpoptions -d $queue >/dev/null
# Where the PDF back end writes: the job owner's folder, or the anonymous one.
spool_dirs="/var/spool/cups-pdf/ANONYMOUS /var/spool/cups-pdf/$(id -un) $HOME/PDF"
touch "$out/start" # only files the queue writes from now on count

printf '%s\r\n' "Quivora Ver. 2.1" "Created: 1/2/26" "LastSaved: 1/2/26" Res1 Res2 Res3 Tree \
  "1000000 0000000 \$" "3000001 1000000 Letter" End Data End 3000001 \
  '{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}\f0\fs24 Dear reader,\par' \
  '\f1\fs28\b A printed item\b0\par' \
  '\f0\fs20 This text went through Print Item to a real print queue and came back as a PDF.\par' \
  '}' End > "$out/letter.qvr"
XDG_CONFIG_HOME="$out/config" QT_QPA_PLATFORM=offscreen LANG=en_GB.UTF-8 \
  "$build/bench/print_item" "$out/letter.qvr" '$\Letter' "$out/export.pdf"

printed=""
for i in $(seq 1 60); do
  printed=$(for d in $spool_dirs; do [ -d "$d" ] && find "$d" -name '*.pdf' -newer "$out/start"; done | head -n 1)
  [ -n "$printed" ] && break
  sleep 1
done
[ -n "$printed" ] || { echo "FAIL: the print queue wrote no PDF"; lpstat -W all -o; exit 1; }
sleep 1 # the back end closes the file after naming it
title=$(pdfinfo "$printed" | awk '/^Title/ {print $2}')
echo "printed by the queue: $printed, title $title"
case "$title" in *Testjob*) ;; *) echo "FAIL: the job is not titled Testjob"; exit 1 ;; esac
# The back end's PostScript round trip drops the fonts' Unicode maps, so the
# text cannot be read back from its PDF: the two are compared as pictures of
# the body (both have one-inch margins on A4; the export's footer is left out).
page() { pdftoppm -r 72 -gray -f 1 -l 1 -x 0 -y 0 -W 595 -H 700 "$1" "$out/$2"; }
page "$printed" queue
page "$out/export.pdf" export
python3 - "$out"/queue*.pgm "$out"/export*.pgm <<'PY'
import sys
def pixels(path):
    data = open(path, 'rb').read()
    parts = data.split(maxsplit=4)
    return parts[4]
a, b = pixels(sys.argv[1]), pixels(sys.argv[2])
ink = sum(1 for x in a if x < 128)
diff = sum(1 for x, y in zip(a, b) if abs(x - y) > 96)
print(f"inked pixels {ink}, differing pixels {diff}")
sys.exit(0 if len(a) == len(b) and ink > 500 and diff < ink * 0.05 else 1)
PY
echo "OK: the item printed through the queue matches Export to PDF"
