#!/bin/sh
# ZIP archives with Russian names as real tools write them (Info-ZIP zip on Linux, and
# Python's zipfile, which sets the UTF-8 flag), and one with Zip64 records (zip -fz).
# Run from this folder; writes zipnames/*.zip.
set -e
out=$(pwd)/zipnames
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src" "$work/src/empty"
cd "$work/src"
printf 'utf' > "$(printf '\320\237\321\200\320\270\320\262\320\265\321\202').txt"   # UTF-8
printf 'oem' > "$(printf '\217\340\250\242\245\342').dos"                           # code page 866
rm -f "$out"/*.zip
LC_ALL=C.UTF-8 zip -X -q "$out/unix-utf8.zip" ./*.txt
LC_ALL=C zip -X -q "$out/unix-cp866.zip" ./*.dos
LC_ALL=C.UTF-8 zip -X -q -fz "$out/zip64.zip" ./*.txt empty
python3 - "$out/flag-utf8.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    i = zipfile.ZipInfo("\u041f\u0440\u0438\u0432\u0435\u0442.txt", (2020, 1, 2, 3, 4, 6))
    z.writestr(i, "flag")
PY
