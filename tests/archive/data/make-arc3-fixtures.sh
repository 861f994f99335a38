#!/usr/bin/env bash
# Makes the fixtures of the ZIP, gzip/compress and tar reader tests in arc3/ with Debian's
# own tools (zip, bsdtar, gzip, ncompress, tar, MinGW for the self-extractor stub); the
# gzip header variants and the hostile tar names that no tool writes are put together
# from tool output by make-arc3-fixtures.py. The files are kept in git: a test never
# needs these tools.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
OUT="$HERE/arc3"
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
export TZ=UTC
cd "$W"

# The files: text, a binary part, an empty file and a file in a folder.
mkdir -p src/docs/sub
python3 - <<'PY'
import random
r = random.Random(6)
words = [b'archive ', b'panel ', b'file ', b'manager ', b'Zembrix ', b'\r\n', b'copy ', b'the ']
text = b''.join(r.choice(words) for _ in range(700))
open('src/readme.txt', 'wb').write(text)
open('src/data.bin', 'wb').write(bytes(r.randrange(256) if r.random() < .4 else 0 for _ in range(3000)))
open('src/docs/sub/notes.txt', 'wb').write(text[:900] + b'\r\nthe end\r\n')
open('src/empty.txt', 'wb').write(b'')
# compress input: varied enough to fill and clear a 10-bit table, and to grow past 13 bits
big = bytearray()
while len(big) < 24000:
    if r.random() < .5:
        big += bytes(r.choice(b'abcdefghijklmnopqrstuvwxyz0123456789') for _ in range(r.randrange(1, 30)))
    else:
        big += r.choice(words) * r.randrange(1, 4)
open('big.txt', 'wb').write(bytes(big[:24000]))
PY
touch -d '2001-02-03 04:05:06' src/readme.txt src/docs/sub/notes.txt big.txt
touch -d '2010-11-12 13:14:16' src/data.bin src/empty.txt
touch -d '2005-06-07 08:09:10' src/docs/sub src/docs

cd src
# Info-ZIP: stored, fastest, best with the folders and a comment, encrypted.
zip -X -q -0 ../zip0.zip readme.txt data.bin empty.txt
zip -X -q -1 ../zip1.zip readme.txt data.bin
echo 'An archive comment' | zip -X -q -9 -r -z ../zip9.zip readme.txt data.bin empty.txt docs
zip -X -q -P secret ../zipP.zip readme.txt data.bin
# Streamed from standard input: sizes and CRC only after the data (flag bit 3).
zip -X -q - readme.txt data.bin | cat > ../zipstream.zip
# libarchive's ZIP writer: data descriptors and Unix attributes.
bsdtar --format zip -cf ../bsd.zip readme.txt data.bin docs
cd ..

# A Windows stub in front of a ZIP whose offsets were left as they were (no zip -A).
cat > stub.c <<'C'
void __stdcall ExitProcess(unsigned);
void start(void) { ExitProcess(0); }
C
i686-w64-mingw32-gcc -Os -s -nostdlib -Wl,-e,_start -o stub.exe stub.c -lkernel32
cat stub.exe zip1.zip > sfx_noA.exe
# The same with a plain prefix that starts like a ZIP, so that recognition takes it as one.
{ printf 'PK\003\004'; head -c 996 /dev/zero; cat zip1.zip; } > junk_prefix.zip

# gzip: fastest and best, with the name and time (-N) and without (-n); two members.
gzip -1 -N -c src/readme.txt > readme1.txt.gz
gzip -9 -n -c src/data.bin > data9.bin.gz
gzip -9 -n -c src/readme.txt > part1.gz
gzip -1 -n -c src/data.bin > part2.gz
cat part1.gz part2.gz > concat.gz
cat src/readme.txt src/data.bin > concat.expected

# compress with every code size from 10 to 16 bits.
for b in 10 11 12 13 14 15 16; do compress -c -b$b big.txt > big$b.Z; done

# GNU tar: ustar (a long path through the prefix), gnu (a long name record), pax.
LONG=docs/sub/a_rather_long_folder_name_that_goes_on_and_on_and_on/and_a_file_name_long_enough_to_need_more.txt
mkdir -p src/$(dirname $LONG) && cp src/readme.txt src/$LONG && touch -d '2001-02-03 04:05:06' src/$LONG
LONG2=docs/a_single_file_name_longer_than_one_hundred_characters_which_plain_ustar_cannot_hold_in_its_name_field.txt
cp src/data.bin src/$LONG2 && touch -d '2010-11-12 13:14:16' src/$LONG2
ln -s readme.txt src/link.txt
for f in ustar gnu pax; do
  names="readme.txt data.bin empty.txt link.txt docs"
  [ $f = ustar ] && names="readme.txt data.bin empty.txt link.txt $LONG"
  tar -C src -b 1 --format=$f --owner=0 --group=0 --sort=name -cf $f.tar $names
done

python3 "$HERE/make-arc3-fixtures.py" "$W"

rm -rf "$OUT" && mkdir -p "$OUT"
cp -r src "$OUT/src"
rm "$OUT/src/link.txt"
cp zip0.zip zip1.zip zip9.zip zipP.zip zipstream.zip bsd.zip sfx_noA.exe junk_prefix.zip readme1.txt.gz data9.bin.gz concat.gz \
   concat.expected big.txt big1?.Z ustar.tar gnu.tar pax.tar hdr.gz evil.tar "$OUT/"
