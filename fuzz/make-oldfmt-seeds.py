#!/usr/bin/env python3
"""Fills the seeds of lzh_decoders_fuzz, arc_zoo_decoders_fuzz and old_readers_fuzz from the
LHA, ARJ, ARC and ZOO fixtures (tests/archive/data/oldfmt). A decoder seed is the target's
selector byte, the stated size (4 bytes, little-endian) and the entry's packed bytes.
Other targets' seeds are left alone."""
import os, shutil, struct

here = os.path.dirname(os.path.abspath(__file__))
fx = os.path.join(here, "..", "tests", "archive", "data", "oldfmt")


def put(target, name, data):
    d = os.path.join(here, "seeds", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def read(name):
    with open(os.path.join(fx, name), "rb") as f:
        return f.read()


for t in ("lzh_decoders_fuzz", "arc_zoo_decoders_fuzz", "old_readers_fuzz"):
    shutil.rmtree(os.path.join(here, "seeds", t), ignore_errors=True)

# LHA level-0 entries. Selector: 0 -lh4-, 1 -lh5-, 2 -lh6-, 5 -lh1-.
kinds = {b"-lh4-": 0, b"-lh5-": 1, b"-lh6-": 2, b"-lh1-": 5}
n = 0
for path in ("lh1.lzh", "level0.lzh"):
    a, pos = read(path), 0
    while pos < len(a) and a[pos]:
        size, method = a[pos], a[pos + 2:pos + 7]
        packed, orig = struct.unpack("<II", a[pos + 7:pos + 15])
        data = a[pos + size + 2:pos + size + 2 + packed]
        if method in kinds and packed < 4000:
            put("lzh_decoders_fuzz", "%s-%d" % (method.decode().strip("-"), n),
                bytes([kinds[method]]) + struct.pack("<I", orig) + data)
            n += 1
        pos += size + 2 + packed

# The first file of m1.arj (selector 3) and m4.arj (129: 3 with the top bit, method 4).
for name, kind in (("m1.arj", 3), ("m4.arj", 129)):
    a = read(name)
    p = 4 + struct.unpack("<H", a[2:4])[0] + 4 + 2
    b = struct.unpack("<H", a[p + 2:p + 4])[0]
    packed, orig = struct.unpack("<II", a[p + 4 + 12:p + 4 + 20])
    d = p + 4 + b + 4 + 2
    put("lzh_decoders_fuzz", "arj-" + name, bytes([kind]) + struct.pack("<I", orig) + a[d:d + packed])

# ARC entries (selector = method) and ZOO's LZW (selector 0).
n = 0
for name in ("a.arc", "aq.arc", "crunch.arc"):
    a, pos = read(name), 0
    while pos + 29 <= len(a) and a[pos] == 0x1A and a[pos + 1]:
        m = a[pos + 1]
        packed, = struct.unpack("<I", a[pos + 15:pos + 19])
        orig, = struct.unpack("<I", a[pos + 25:pos + 29])
        if packed < 3000:
            put("arc_zoo_decoders_fuzz", "m%d-%d" % (m, n), bytes([m]) + struct.pack("<I", orig) + a[pos + 29:pos + 29 + packed])
            n += 1
        pos += 29 + packed
a = read("zoo.zoo")
first, = struct.unpack("<I", a[24:28])
off, = struct.unpack("<I", a[first + 10:first + 14])
orig, packed = struct.unpack("<II", a[first + 20:first + 28])
put("arc_zoo_decoders_fuzz", "zoo-lzw", bytes([0]) + struct.pack("<I", orig) + a[off:off + packed])

# Whole small archives for the readers.
for name in ("lh1.lzh", "m1.arj", "m4.arj", "garbled.arj", "nested.arc"):
    put("old_readers_fuzz", name, read(name))
# ZOO: the small one of the lister's fixtures and the one of both methods.
with open(os.path.join(fx, "..", "lister", "zoo.zoo"), "rb") as f:
    put("old_readers_fuzz", "small.zoo", f.read())
put("old_readers_fuzz", "zoo.zoo", read("zoo.zoo"))
