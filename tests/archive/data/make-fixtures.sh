#!/usr/bin/env bash
# Makes the small archives of the recognition and cipher tests with Debian's own archivers
# (zip, gzip, ncompress, tar, jlha-utils, arj, arc, gcab, sharutils) and the MinGW tools.
# Run from anywhere; writes next to this script. The files are kept in git: a test never
# needs these tools.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
export TZ=UTC
cd "$W"

printf 'Hello, archive!\nThe quick brown fox jumps over the lazy dog.\n' > hello.txt
for i in 1 2 3 4; do cat hello.txt; done > hello4.txt && mv hello4.txt hello.txt
touch -d '2001-02-03 04:05:06' hello.txt

zip -X -q plain.zip hello.txt
zip -X -q -0 -P secret crypt_stored.zip hello.txt
zip -X -q -P secret crypt_deflated.zip hello.txt
gzip -n -c hello.txt > hello.txt.gz
compress -c hello.txt > hello.txt.Z
tar -b 1 --format=ustar --owner=0 --group=0 --mtime='2001-02-03 04:05:06' -cf plain.tar hello.txt
cp plain.tar tarfile
tar -b 1 --format=gnu --owner=0 --group=0 --mtime='2001-02-03 04:05:06' -V LABEL -cf label.tar hello.txt
lha aq plain.lzh hello.txt
arj a -y plain.arj hello.txt >/dev/null
arc aq plain.arc hello.txt
# arc stores a file it cannot pack: its first entry then has method 2, not 8 or 9.
printf 'x' > x.txt && touch -d '2001-02-03 04:05:06' x.txt && arc aq stored.arc x.txt
gcab -c -z plain.cab hello.txt
uuencode hello.txt < hello.txt > hello.uue

# A Windows stub with a ZIP appended; zip -A makes the offsets absolute.
cat > stub.c <<'C'
void __stdcall ExitProcess(unsigned);
void start(void) { ExitProcess(0); }
C
i686-w64-mingw32-gcc -Os -s -nostdlib -Wl,-e,_start -o stub.exe stub.c -lkernel32
cat stub.exe plain.zip > sfx.exe
zip -A -q sfx.exe

# A stub whose string resource 1 names where its archive begins (4096); the offsets inside
# that archive count from there.
cat > res.rc <<'RC'
STRINGTABLE
BEGIN
  1 "4096"
END
RC
i686-w64-mingw32-windres res.rc -O coff -o res.o
i686-w64-mingw32-gcc -Os -s -nostdlib -Wl,-e,_start -o resstub.exe stub.c res.o -lkernel32
size=$(stat -c %s resstub.exe)
[ "$size" -le 4096 ] || { echo "resstub.exe is larger than 4096 bytes" >&2; exit 1; }
{ cat resstub.exe; head -c $((4096 - size)) /dev/zero; cat plain.zip; } > ressfx.exe

chmod 644 *.arc
cp plain.zip crypt_stored.zip crypt_deflated.zip hello.txt.gz hello.txt.Z plain.tar tarfile label.tar \
  plain.lzh plain.arj plain.arc stored.arc plain.cab hello.uue sfx.exe ressfx.exe hello.txt "$HERE/"
