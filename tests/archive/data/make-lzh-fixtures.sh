#!/bin/sh
# LHA fixtures from Debian's jlha (jlha-utils): header levels 0, 1 and 2, each with -lh5-,
# -lh6- (a file in a subfolder whose matches reach 30 KB back), -lh7- and -lh0- entries.
# Run make-oldfmt-plain.py first.
set -e
here=$(cd "$(dirname "$0")" && pwd)
out=$here/oldfmt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$out/plain/." "$work/"
mkdir -p "$work/seven" && cp "$work/text.txt" "$work/seven/text7.txt"
cd "$work"
for L in 0 1 2; do
  lha a${L}o5 l$L.lzh text.txt runs.bin >/dev/null
  lha a${L}o6 l$L.lzh sub/far.bin >/dev/null
  lha a${L}o7 l$L.lzh seven/text7.txt >/dev/null
  lha a${L}z l$L.lzh small.txt >/dev/null
  lhasa t l$L.lzh >/dev/null
  cp l$L.lzh "$out/level$L.lzh"
done
