#!/bin/sh
# Installs the Debian package into a fresh Debian 12 root made with
# debootstrap, starts Quivora there under Xvfb with a generated document, and
# runs `qvr check` on it. Not part of `make test`: it needs a Debian mirror
# and a few minutes. Run as root.  Usage: tools/package-check.sh [DEB] [ROOT]
set -eu
deb=$(realpath "${1:-$(ls build/quivora_*.deb | head -1)}")
root=${2:-/var/tmp/quivora-check-root}
fail() { echo "FAIL: $*"; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
# The mirror apt already uses.
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources 2>/dev/null \
         | grep -E '^(URIs:|deb )' | grep -oE 'https?://[^ ]*/debian/?( |$)' | head -1 | tr -d ' ')
mirror=${mirror:-http://deb.debian.org/debian}
cleanup() { for m in dev/pts dev proc; do umount "$root/$m" 2>/dev/null || true; done; }
trap cleanup EXIT
if [ ! -x "$root/usr/bin/apt-get" ]; then
  rm -rf "$root"
  debootstrap --variant=minbase bookworm "$root" "$mirror"
fi
mount --bind /dev "$root/dev"; mount --bind /dev/pts "$root/dev/pts"; mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 HOME=/root "$@"; }
in_root apt-get update -q
in_root apt-get install -y -q "/tmp/$(basename "$deb")" xvfb xauth x11-utils shared-mime-info desktop-file-utils
in_root quivora --version | grep -qx "Quivora 2.1" || fail "quivora --version"
in_root qvr --version
# A generated document: 20 branches of 50 items each, with text.
in_root sh -c '
  f=/tmp/generated.qvr
  printf "Quivora Ver. 2.1\r\nCreated: 1/1/26\r\nLastSaved: 1/1/26\r\nRes1\r\nRes2\r\nRes3\r\nTree\r\n1000000 0000000 \$\r\n" >$f
  i=0; for b in $(seq 1 20); do
    echo "$((2000000 + b)) 1000000 Branch $b" | sed "s/\$/\r/" >>$f
    for n in $(seq 1 50); do i=$((i + 1)); echo "$((3000000 + i)) $((2000000 + b)) Item $n" | sed "s/\$/\r/" >>$f; done
  done
  printf "End\r\nData\r\nEnd\r\n" >>$f
  for k in $(seq 1 $i); do printf "%d\r\n{\\\\rtf1\\\\ansi Text of item %d\\\\par}\r\nEnd\r\n" $((3000000 + k)) $k >>$f; done'
out=$(in_root qvr check /tmp/generated.qvr 2>/dev/null) || fail "qvr check: $out"
echo "qvr check: $out"
in_root sh -c 'grep -q "application/x-quivora" /usr/share/mime/globs2' || fail "MIME type not registered"
in_root sh -c 'grep -q "application/x-quivora=quivora.desktop" /usr/share/applications/mimeinfo.cache' || fail "desktop entry not registered for the MIME type"
# Quivora under Xvfb: the window with the document shows. A root kept from an
# earlier check holds the work its killed Quivora left, offered for recovery
# before anything opens: it goes first.
in_root rm -rf /usr/bin/Data /root/.local/share/Corvanta
in_root sh -c '
  xvfb-run -a -s "-screen 0 1280x800x24" sh -c "
    quivora /tmp/generated.qvr & pid=\$!
    for i in \$(seq 1 60); do
      if xwininfo -root -tree | grep -q \"Quivora - generated\"; then
        echo window shown
        kill \$pid; exit 0
      fi
      sleep 1
    done
    kill \$pid; exit 1"' || fail "the window did not show"
echo "package check: ok"
