#!/usr/bin/env bash
# Makes the archive page's fixture with Info-ZIP's zip: a text file, a file in a folder,
# and big.bin, 4 MiB of byte i = (i * 7 + i / 4096) mod 251, which the tests compute
# again (it packs small, and extracting it takes long enough to be cancelled).
# Run from anywhere; writes next to this script. The files are kept in git.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
export TZ=UTC
cd "$W"
mkdir -p src/docs
printf 'Hello from the archive page.\r\nSecond line.\r\n' > src/readme.txt
for i in $(seq 1 40); do printf 'Line %d of the nested text.\r\n' "$i"; done > src/docs/notes.txt
python3 -c '
import sys
sys.stdout.buffer.write(bytes(((i * 7 + i // 4096) % 251) for i in range(4 << 20)))' > src/big.bin
touch -d '2003-04-05 06:07:08' src/readme.txt src/docs/notes.txt src/big.bin src/docs
(cd src && zip -X -q -r "$W/folders.zip" readme.txt docs big.bin)
cp folders.zip "$HERE/"
cp src/readme.txt "$HERE/readme.txt"
cp src/docs/notes.txt "$HERE/notes.txt"
