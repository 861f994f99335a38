#!/usr/bin/env python3
"""Multi-volume ARJ sets, written byte by byte (no archiver runs), into arjvol/ beside
this script:
  span.arj, span.a01, span.a02
      first.txt whole in the first volume; sub/big.bin stored over all three volumes
      (2000 + 2000 + 1000 bytes, each part with its own CRC, the later parts flagged as
      continued and holding their position in the file); last.txt whole in the third
      volume right behind the end of big.bin
  lost.arj
      keep.txt whole, then half.bin begun and continued in lost.a01, which does not exist
  cut.arj, cut.a01
      the same two entries; cut.a01 ends in the middle of half.bin's second part
  expected/
      the files as they were stored: first.txt, last.txt, keep.txt, sub/big.bin, half.bin
Every entry is stored (method 0); the header CRCs and the data CRCs hold.
usage: make-arjvol-fixtures.py [OUTDIR]"""
import os, struct, sys, zlib

here = os.path.dirname(os.path.abspath(__file__))
out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "arjvol")

DOS_TIME = (23 << 25) | (4 << 21) | (5 << 16) | (6 << 11) | (7 << 5) | 4   # 2003-04-05 06:07:08
ARJ_VERSION, MIN_VERSION, HOST_DOS = 11, 1, 0
# Header flags: more volumes follow (main header) / the file goes on in the next volume;
# the file began in an earlier volume; the path's separators were turned into '/'.
VOLUME, EXTFILE, PATHSYM = 0x04, 0x08, 0x10
BINARY, MAIN = 0, 2


def crc32(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def noise(seed, size):
    """Bytes that do not repeat: a 64-bit LCG's high halves."""
    buf, x = bytearray(), seed
    while len(buf) < size:
        x = (x * 6364136223846793005 + 1442695040888963407) & 0xFFFFFFFFFFFFFFFF
        buf += (x >> 32).to_bytes(4, "little")
    return bytes(buf[:size])


def header(fixed, name, comment=b""):
    """One header: the id, the basic header size, the basic header (fixed part, name,
    comment), its CRC-32, and an extended-header size of 0."""
    basic = fixed + name + b"\0" + comment + b"\0"
    return struct.pack("<HH", 0xEA60, len(basic)) + basic + struct.pack("<I", crc32(basic)) + b"\0\0"


def main_header(volume_name, more_volumes):
    fixed = struct.pack("<BBBBBBBBIIIIHHH", 30, ARJ_VERSION, MIN_VERSION, HOST_DOS,
                        VOLUME if more_volumes else 0, 0, MAIN, 0,
                        DOS_TIME, DOS_TIME, 0, 0, 0, 0, 0)
    return header(fixed, volume_name.encode("ascii"))


def file_header(name, part, crc, flags, ext_pos=None):
    """A stored file's header for one part of its data. A part continued from an earlier
    volume carries EXTFILE and its position in the whole file, 4 bytes behind the fixed
    part (the first-header size is then 34)."""
    encoded = name.encode("ascii")
    if b"/" in encoded:
        flags |= PATHSYM
    first = 30 if ext_pos is None else 34
    spec_pos = encoded.rfind(b"/") + 1
    fixed = struct.pack("<BBBBBBBBIIIIHHH", first, ARJ_VERSION, MIN_VERSION, HOST_DOS, flags, 0, BINARY, 0,
                        DOS_TIME, len(part), len(part), crc, spec_pos, 0x20, 0)
    if ext_pos is not None:
        fixed += struct.pack("<I", ext_pos)
    return header(fixed, encoded)


def whole(name, data):
    return file_header(name, data, crc32(data), 0) + data


def parts(name, data, sizes):
    """The parts of a file split by sizes, one per volume, each a header and its data."""
    result, pos = [], 0
    for i, size in enumerate(sizes):
        part = data[pos:pos + size]
        flags = VOLUME if i + 1 < len(sizes) else 0
        if i > 0:
            flags |= EXTFILE
        result.append(file_header(name, part, crc32(part), flags, pos if i > 0 else None) + part)
        pos += size
    assert pos == len(data)
    return result


END = struct.pack("<HH", 0xEA60, 0)


def volume(name, body, more_volumes):
    return main_header(name, more_volumes) + body + END


def save(name, data):
    path = os.path.join(out, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


FIRST = b"The first file, whole in the first volume.\r\n"
LAST = b"The last file, behind the end of the long one in the third volume.\r\n"
KEEP = b"Whole in the first volume: kept whatever happens to the rest.\r\n"
BIG = noise(1, 5000)
HALF = noise(2, 3000)

big = parts("sub/big.bin", BIG, [2000, 2000, 1000])
# A continued file is the last entry of its volume; the end mark closes every volume.
save("span.arj", volume("span.arj", whole("first.txt", FIRST) + big[0], True))
save("span.a01", volume("span.a01", big[1], True))
save("span.a02", volume("span.a02", big[2] + whole("last.txt", LAST), False))

half = parts("half.bin", HALF, [1200, 1800])
save("lost.arj", volume("lost.arj", whole("keep.txt", KEEP) + half[0], True))
save("cut.arj", volume("cut.arj", whole("keep.txt", KEEP) + half[0], True))
second = volume("cut.a01", half[1], False)
save("cut.a01", second[:len(second) - 900])  # half of the second part's data is missing

for name, data in (("first.txt", FIRST), ("last.txt", LAST), ("keep.txt", KEEP), ("sub/big.bin", BIG),
                   ("half.bin", HALF)):
    save("expected/" + name, data)
