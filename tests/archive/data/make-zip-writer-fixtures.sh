#!/usr/bin/env bash
# Makes the archives of the ZIP writer's update tests with Debian's zip and bsdtar: one
# with extra fields, an archive comment and an entry comment, and one whose entries have
# data descriptors (flag bit 3). Run from anywhere; writes next to this script. The files
# are kept in git: a test never needs these tools.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
export TZ=UTC
cd "$W"

printf 'Hello, archive!\nThe quick brown fox jumps over the lazy dog.\n%.0s' {1..20} > a.txt
head -c 2000 /dev/urandom > r.bin
mkdir d
seq 1 3000 > d/n.txt
touch -d '2001-02-03 04:05:06' a.txt r.bin d/n.txt d

# r.bin stored (-n), the rest deflated; the comment of a.txt and of the archive from stdin.
printf 'first entry comment\n' | zip -q -c -n .bin infozip.zip a.txt >/dev/null
zip -q -n .bin infozip.zip r.bin d d/n.txt
printf 'An archive comment.\n' | zip -q -z infozip.zip >/dev/null

bsdtar --format=zip -cf bsdtar.zip a.txt r.bin d

unzip -tq infozip.zip && unzip -tq bsdtar.zip
cp infozip.zip bsdtar.zip "$HERE/"
