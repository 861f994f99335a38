#!/usr/bin/env bash
# Makes the cabinet fixtures of the cabinet reader tests with Debian's gcab:
#   stored.cab (no compression) and mszip.cab (MSZIP), each with
#     readme.txt      dated 2001-02-03 04:05:06 (all three are)
#     sub/data.bin    34000 bytes, over two data blocks
#     sub/<Cyrillic>.txt   a copy of readme.txt; gcab flags its name as UTF-8 (attributes 0xA0)
# The sources are the files beside this script (src/); run it from anywhere.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$TMP/sub"
cp "$HERE/src/readme.txt" "$TMP/readme.txt"
cp "$HERE/src/sub/data.bin" "$TMP/sub/data.bin"
cp "$HERE/src/readme.txt" "$TMP/sub/тест.txt"
TZ=UTC touch -d '2001-02-03 04:05:06' "$TMP/readme.txt" "$TMP/sub/data.bin" "$TMP/sub/тест.txt"
cd "$TMP"
rm -f "$HERE/stored.cab" "$HERE/mszip.cab"
TZ=UTC gcab -c "$HERE/stored.cab" readme.txt sub/data.bin sub/тест.txt
TZ=UTC gcab -c -z "$HERE/mszip.cab" readme.txt sub/data.bin sub/тест.txt
