#!/usr/bin/env bash
# Makes the encoded files of the UU/XX decoder tests with Debian's sharutils (uuencode)
# and uudeview (uuenview -x): a 12-byte file, whose only line is shorter than a full one,
# and a 3000-byte binary in UU and in XX. Run from anywhere; writes next to this script.
# The files are kept in git: a test never needs these tools.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
cd "$W"

printf 'hello world!' > twelve.txt
# Every byte value, then a run and a ramp: 3000 bytes.
python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 8 + b"\0" * 500 + bytes(i * 7 % 251 for i in range(452)))' > binary.bin
uuencode twelve.txt < twelve.txt > twelve.uue
uuencode binary.bin < binary.bin > binary.uue
uuenview -x binary.bin > binary.xxe
cp twelve.txt twelve.uue binary.bin binary.uue binary.xxe "$HERE/"
