#!/bin/sh
# Russian names as real tools write them: gzip, uuencode (sharutils) and arj on Linux,
# with a name in UTF-8 and one in code page 866 as DOS wrote it. The LHA, ZOO and RAR ones are
# made by make-cyrnames-fixtures.py. Run from this folder; writes cyrnames/.
set -e
out=$(pwd)/cyrnames
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
utf=$(printf '\320\237\321\200\320\270\320\262\320\265\321\202')  # Привет in UTF-8
oem=$(printf '\217\340\250\242\245\342')                           # Привет in 866
printf 'utf\n' > "$utf.txt"
printf 'oem\n' > "$oem.dos"
touch -d '2021-03-04 05:06:08 UTC' "$utf.txt" "$oem.dos"
gzip -k -N -c "$utf.txt" > "$out/unix-utf8.gz"
gzip -k -N -c "$oem.dos" > "$out/dos-cp866.gz"
uuencode "$utf.txt" "$utf.txt" > "$out/unix-utf8.uue"
uuencode "$oem.dos" "$oem.dos" > "$out/dos-cp866.uue"
mkdir -p "$(printf '\320\237\320\260\320\277\320\272\320\260')"  # Папка in UTF-8
cp "$utf.txt" "$(printf '\320\237\320\260\320\277\320\272\320\260')/"
rm -f "$out/unix-utf8.arj"
TZ=UTC arj a -r -a1 -y "$out/unix-utf8.arj" "$(printf '\320\237\320\260\320\277\320\272\320\260')" >/dev/null
