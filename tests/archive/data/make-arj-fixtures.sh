#!/bin/sh
# ARJ fixtures from Debian's arj: methods 0 to 4, a file split over three volumes
# (vol.arj, vol.a01, vol.a02), and an archive whose later entries are garbled.
# Run make-oldfmt-plain.py first.
set -e
here=$(cd "$(dirname "$0")" && pwd)
out=$here/oldfmt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$out/plain/." "$work/"
cd "$work"
for m in 0 1 2 3 4; do
  arj a -m$m -y m$m.arj text.txt runs.bin >/dev/null
  arj t -y m$m.arj >/dev/null
  cp m$m.arj "$out/m$m.arj"
done
arj a -m0 -v13000 -y vol.arj sub/far.bin >/dev/null
cp vol.arj vol.a01 vol.a02 "$out/"
arj a -y garbled.arj small.txt >/dev/null
arj a -gsecret -y garbled.arj text.txt runs.bin >/dev/null
cp garbled.arj "$out/"
