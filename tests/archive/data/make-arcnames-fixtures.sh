#!/bin/sh
# An ARC archive made by Debian's arc with a Russian name in code page 866, as DOS wrote
# them. Run from this folder; writes arcnames/names.arc.
set -e
out=$(pwd)/arcnames
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'oem' > "$(printf '\217\340\250\242\245\342').TXT"
printf 'plain' > README.TXT
rm -f "$out/names.arc"
arc a "$out/names.arc" README.TXT "$(printf '\217\340\250\242\245\342').TXT" >/dev/null
