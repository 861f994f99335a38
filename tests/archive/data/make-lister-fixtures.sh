#!/usr/bin/env bash
# Makes the lister's archives in lister/ with Debian's own archivers (zip, bsdtar, arj,
# jlha-utils, arc, gzip, ncompress, tar, gcab, sharutils, uudeview) and hand-builds the
# kinds no Debian tool writes (make-lister-fixtures.py). Then it writes what the reference
# listers print for each (lister/reference.txt: unzip -v, arj v, lhasa v, lsar -L,
# bsdtar -tv, cabextract -l), which the lister tests were checked against, and copies
# the archives into the fuzz targets' seed folders. The files are kept in git: a test
# never needs these tools.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
ROOT=$(cd "$HERE/../../.." && pwd -P)
OUT=$HERE/lister
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
export TZ=UTC
mkdir -p "$OUT"
rm -f "$OUT"/*
cd "$W"

# Two small text files, one in a folder, with fixed dates.
mkdir sub
for i in 1 2 3 4; do printf 'Hello, archive!\nThe quick brown fox jumps over the lazy dog.\n'; done > a.txt
for i in $(seq 10); do echo "second file $i"; done > sub/b.txt
printf 'x%.0s' $(seq 20) | head -c 20 > x.bin && printf '\x00\xff\x13\x37\x80\x01\xfe\x7f' >> x.bin
touch -d '2001-02-03 04:05:06' a.txt x.bin
touch -d '2002-03-04 05:06:08' sub/b.txt sub

# ZIP: stored with folders and an archive comment; -9 with a password, extra fields and
# entry comments; bsdtar's (Unix modes only, sizes behind the data); an empty archive
# (end record only).
echo "zip archive comment" | zip -X -q -0 -z "$OUT/zstore.zip" a.txt sub sub/b.txt
printf 'entry a\nentry sub\nentry b\n' | zip -q -9 -c -P pw "$OUT/zbest.zip" a.txt sub sub/b.txt
zip -X -q -1 "$OUT/zfast.zip" a.txt
bsdtar --format zip -cf "$OUT/zbsd.zip" a.txt sub
printf 'PK\005\006\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' > "$OUT/empty.zip"

# ARJ: methods 0 to 4 in one archive, a folder, and a file split over two volumes.
for m in 0 1 2 3 4; do cp a.txt m$m.txt; touch -d '2001-02-03 04:05:06' m$m.txt; done
for m in 0 1 2 3 4; do arj a -m$m -y "$OUT/methods.arj" m$m.txt >/dev/null; done
arj a -m1 -y "$OUT/methods.arj" sub/b.txt >/dev/null
python3 -c 'import random, sys; random.seed(11000); sys.stdout.buffer.write(bytes(random.getrandbits(8) for _ in range(11000)))' > r.bin && touch -d '2003-04-05 06:07:08' r.bin
arj a -m0 -v10K -y vol.arj r.bin a.txt >/dev/null
cp vol.arj vol.a01 "$OUT/"

# LHA: header levels 0, 1 and 2 with -lh0-, -lh5-, -lh6-, -lh7- and a folder.
(lha a0z "$OUT/lh0.lzh" a.txt sub && lha a1o5 "$OUT/lh5.lzh" a.txt sub &&
 lha a2o6 "$OUT/lh6.lzh" a.txt sub && lha a2o7 "$OUT/lh7.lzh" a.txt sub/b.txt) >/dev/null

# ARC: arc a (crunched) and aq (squashed, and stored for what does not pack).
cp a.txt A.TXT && cp sub/b.txt B.TXT && cp x.bin X.BIN
touch -d '2001-02-03 04:05:06' A.TXT X.BIN && touch -d '2002-03-04 05:06:08' B.TXT
arc a "$OUT/a.arc" A.TXT B.TXT >/dev/null
arc aq "$OUT/aq.arc" A.TXT B.TXT X.BIN

# gzip with and without a name, compress.
gzip -9 -c a.txt > "$OUT/named.txt.gz"
gzip -n -c a.txt > "$OUT/noname.txt.gz"
compress -c a.txt > "$OUT/a.txt.Z"

# tar: ustar (long path through the prefix), gnu (long name) and pax (path record).
L=dir_with_a_fairly_long_name_0123456789/another_long_folder_name_abcdefghij
mkdir -p $L && printf 'deep\n' > $L/file_with_a_long_name_that_pushes_past_100.txt
for f in ustar gnu pax; do
  opt=(); [ $f = pax ] && opt=(--pax-option=delete=atime,delete=ctime)
  tar -b 1 --format=$f --owner=0 --group=0 --mtime='2001-02-03 04:05:06' "${opt[@]}" \
    -cf "$OUT/$f.tar" a.txt sub $L/file_with_a_long_name_that_pushes_past_100.txt
done

# Cabinets: stored and MSZIP.
gcab -c "$OUT/stored.cab" a.txt sub/b.txt
gcab -c -z "$OUT/mszip.cab" a.txt sub/b.txt

# uuencode and xxencode.
uuencode a.txt < a.txt > "$OUT/a.uue"
uuenview -x a.txt > "$OUT/a.xxe"

python3 "$HERE/make-lister-fixtures.py" "$OUT"
chmod 644 "$OUT"/*

# What the reference listers print.
cd "$OUT"
{
  for f in *.zip; do echo "== unzip -v $f"; unzip -v "$f" || true; done
  echo "== arj v methods.arj"; arj v methods.arj | tail -n +3
  echo "== arj v -v -y vol.arj"; arj v -v -y vol.arj | tail -n +3
  for f in *.lzh; do echo "== lhasa v $f"; lhasa v "$f"; done
  for f in *.arc *.gz *.Z zoo.zoo rar*.rar vol.rar *.uue *.xxe; do echo "== lsar -L $f"; lsar -L "$f" || true; done
  for f in *.tar; do echo "== bsdtar -tv $f"; bsdtar -tvf "$f" || true; done
  for f in stored.cab mszip.cab cab1.cab; do echo "== cabextract -l $f"; cabextract -l "$f" || true; done
} > "$W/reference.txt" 2>&1
sed -e 's/[[:space:]]*$//' "$W/reference.txt" > reference.txt

# Seeds of the fuzz targets: each kind's archives.
seed() {
  local dir=$ROOT/fuzz/seeds/lister_$1_fuzz
  shift
  mkdir -p "$dir" && cp "$@" "$dir/"  # regression inputs found by fuzzing stay
}
seed zip ./*.zip
seed arj ./*.arj vol.a01
seed lha ./*.lzh
seed arc ./*.arc pak.pak
seed gzip ./*.gz ./*.Z
seed tar ./*.tar
seed cab ./*.cab
seed uue ./*.uue ./*.xxe
seed zoo zoo.zoo
seed bh bh.bh
seed ha ha.ha
seed rar ./*.rar vol.r00
