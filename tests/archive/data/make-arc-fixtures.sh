#!/bin/sh
# ARC fixtures from Debian's arc 5.21: "a" (stored, packed, crunched with method 8) and
# "aq" (squashed, method 9, and squeezed, method 4). Checked with nomarch: arc's own test
# (and unar) fail on the squeezed entries although nomarch finds their CRCs right.
# Run make-oldfmt-plain.py first.
set -e
here=$(cd "$(dirname "$0")" && pwd)
out=$here/oldfmt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$out/plain/." "$work/"
cd "$work"
arc a a.arc text.txt runs.bin small.txt pk.txt sub/far.bin >/dev/null
arc aq q.arc text.txt runs.bin skew.bin small.txt sub/far.bin >/dev/null
nomarch -t a.arc
nomarch -t q.arc
cp a.arc "$out/a.arc"
cp q.arc "$out/aq.arc"
chmod 644 "$out/a.arc" "$out/aq.arc"
