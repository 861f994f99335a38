#!/usr/bin/env python3
"""Cabinets for the cabinet reader and lister tests, written at build time into OUTDIR:
  stored.cab, mszip.cab   stored and MSZIP folders, several files each (some past one 32 KiB
                          data block), empty files, Russian names in 866 and flagged UTF-8
  folders.cab             stored, MSZIP and LZX folders in one cabinet
  reserve.cab             header, folder and data reserve fields
  split1.cab..split2.cab  a set with a data block split over both cabinets
  whole1.cab..whole2.cab  the same set cut on a data block boundary
  multi1.cab..multi5.cab  three files, the last running through all five cabinets
                          (continued from the previous and to the next at once)
  cont1.cab..cont3.cab    files that begin inside a folder continued from the previous cabinet
  self.cab, otherset1.cab, place1.cab, ring1.cab, mid2.cab, filesoff.cab
                          damaged cabinets and sets
and cabs.txt, the manifest the tests read:
  archive NAME CABINETS     the first cabinet and how many the set has
  file HEXNAME SIZE CRC     each file as a reader gives it (the name in 1251, hex), in order
  bad NAME REASON           a damaged cabinet or set a reader must refuse with an error
usage: make_cabs.py OUTDIR"""
import os, struct, sys, zlib

BLOCK = 32768
DOS = (21 << 25) | (2 << 21) | (3 << 16) | (4 << 11) | (5 << 5) | 3  # 2001-02-03 04:05:06
STORED, MSZIP, LZX = 0, 1, 0x1003  # LZX with a 64 KiB window
A_ARCH, A_UTF = 0x20, 0x80


def text(seed, size):
    """Compressible but not trivial bytes: lines of words picked by a small generator."""
    words = [b"cabinet", b"folder", b"block", b"data", b"file", b"spans", b"next", b"set", b"\xd0\xb4\xd0\xb0"]
    out, x = bytearray(), seed * 2654435761 & 0xFFFFFFFF
    while len(out) < size:
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out += words[x % len(words)] + (b"\n" if x % 7 == 0 else b" ")
    return bytes(out[:size])


def noise(seed, size):
    """Bytes that do not compress."""
    out, x = bytearray(), seed
    while len(out) < size:
        x = (x * 6364136223846793005 + 1442695040888963407) & 0xFFFFFFFFFFFFFFFF
        out += (x >> 32).to_bytes(4, "little")
    return bytes(out[:size])


def checksum(data, seed=0):
    """The data block checksum: the XOR of the 32-bit little-endian words, the 1-3 bytes left
    over taken high byte first."""
    csum, n = seed, len(data) // 4
    for i in range(n):
        csum ^= struct.unpack_from("<I", data, i * 4)[0]
    tail, ul = data[n * 4:], 0
    for b in tail:
        ul = (ul << 8) | b
    return csum ^ ul


def lzx_frame(data):
    """One LZX frame as a single uncompressed block: no E8 translation, the block header,
    padding to 16 bits, the three repeat offsets, the bytes (even length)."""
    bits, nbits, out = 0, 0, bytearray()

    def put(v, n):
        nonlocal bits, nbits
        for i in range(n - 1, -1, -1):
            bits = (bits << 1) | ((v >> i) & 1)
            nbits += 1
            if nbits == 16:
                out.extend(struct.pack("<H", bits))
                bits, nbits = 0, 0

    put(0, 1)            # no E8 translation
    put(3, 3)            # uncompressed block
    put(len(data), 24)
    put(0, 16 - nbits)   # 1-16 bits of padding
    out += struct.pack("<III", 1, 1, 1) + data
    if len(data) & 1:
        out += b"\0"
    return bytes(out)


class Folder:
    def __init__(self, method, files, block=BLOCK):
        self.method, self.files = method, []  # files: (stored name, attributes, data)
        stream = b""
        for name, attr, data in files:
            self.files.append((name, attr, data, len(stream)))
            stream += data
        self.stream = stream
        self.blocks = []  # (compressed bytes, uncompressed size)
        for pos in range(0, len(stream), block):
            raw = stream[pos:pos + block]
            if method == STORED:
                packed = raw
            elif method == MSZIP:
                # Each block a whole deflate stream that may refer back into the previous 32 KiB.
                history = stream[max(0, pos - 32768):pos]
                z = zlib.compressobj(9, zlib.DEFLATED, -15, zdict=history) if history else \
                    zlib.compressobj(9, zlib.DEFLATED, -15)
                packed = b"CK" + z.compress(raw) + z.flush()
            else:
                assert len(stream) <= BLOCK, "one LZX frame per folder"
                packed = lzx_frame(raw)
            self.blocks.append((packed, len(raw)))
        if not self.blocks:
            self.blocks.append((b"" if method == STORED else b"CK\x03\x00", 0))


def build_set(folders, cuts=(), names=None, reserve=None, set_id=0x5A5A):
    """The cabinets of one set as byte strings. cuts: offsets into the concatenated packed
    bytes of all blocks where a new cabinet starts (inside a block: the block is split).
    reserve: (header bytes, per-folder bytes, per-block bytes)."""
    # The pieces of every block, each to its cabinet.
    pieces = []  # per cabinet: [(folder, block, bytes, last piece of the block)]
    cut_list, at, cab = sorted(cuts), 0, 0
    pieces.append([])
    for fi, f in enumerate(folders):
        for bi, (packed, _) in enumerate(f.blocks):
            start = 0
            while True:
                nxt = cut_list[cab] if cab < len(cut_list) else None
                if nxt is not None and nxt <= at + start:
                    pieces.append([])
                    cab += 1
                    continue
                end = len(packed) if nxt is None or nxt >= at + len(packed) else nxt - at
                pieces[cab].append((fi, bi, packed[start:end], end == len(packed)))
                start = end
                if start == len(packed):
                    break
            at += len(packed)
    while cab < len(cut_list):
        pieces.append([])
        cab += 1
    count = len(pieces)
    names = names or ["c%d.cab" % (i + 1) for i in range(count)]

    def cabinets_of_block(fi, bi):
        return sorted({c for c in range(count) for (f, b, _, _) in pieces[c] if (f, b) == (fi, bi)})

    # The cabinets each file has data in.
    file_cabs = {}
    for fi, f in enumerate(folders):
        for name, attr, data, off in f.files:
            if data:
                first, last = off // BLOCK, (off + len(data) - 1) // BLOCK
                cabs = sorted({c for bi in range(first, last + 1) for c in cabinets_of_block(fi, bi)})
            else:
                cabs = cabinets_of_block(fi, min(off // BLOCK, len(f.blocks) - 1))[:1]
            file_cabs[(fi, off, name)] = cabs

    out = []
    hres, fres, dres = reserve or (0, 0, 0)
    for c in range(count):
        local = []  # the folders with data in this cabinet, in order
        for fi, _, _, _ in pieces[c]:
            if fi not in local:
                local.append(fi)
        flags = (1 if c > 0 else 0) | (2 if c < count - 1 else 0) | (4 if reserve else 0)
        head_len = 36 + (4 + hres if reserve else 0)
        strings = b""
        if c > 0:
            strings += names[c - 1].encode() + b"\0" + b"disk%d\0" % c
        if c < count - 1:
            strings += names[c + 1].encode() + b"\0" + b"disk%d\0" % (c + 2)
        folders_pos = head_len + len(strings)
        files_pos = folders_pos + len(local) * (8 + fres)
        recs = b""
        nfiles = 0
        for li, fi in enumerate(local):
            for name, attr, data, off in folders[fi].files:
                cabs = file_cabs[(fi, off, name)]
                if c not in cabs:
                    continue
                if len(cabs) == 1:
                    index = li
                elif c == cabs[0]:
                    index = 0xFFFE
                elif c == cabs[-1]:
                    index = 0xFFFD
                else:
                    index = 0xFFFF
                recs += struct.pack("<IIHHHH", len(data), off, index, DOS >> 16, DOS & 0xFFFF, attr) + name + b"\0"
                nfiles += 1
        data_pos = files_pos + len(recs)
        folder_recs, blocks = b"", b""
        for fi in local:
            mine = [p for p in pieces[c] if p[0] == fi]
            folder_recs += struct.pack("<IHH", data_pos + len(blocks), len(mine), folders[fi].method) + b"F" * fres
            for _, bi, part, last in mine:
                unpacked = folders[fi].blocks[bi][1] if last else 0
                res = b"D" * dres
                # The checksum covers the data, then the two size fields; not the reserve.
                fields = struct.pack("<HH", len(part), unpacked)
                csum = checksum(fields, checksum(part))
                blocks += struct.pack("<I", csum) + fields + res + part
        total = data_pos + len(blocks)
        head = b"MSCF" + struct.pack("<IIIIIBBHHHHH", 0, total, 0, files_pos, 0, 3, 1, len(local), nfiles, flags,
                                     set_id, c)
        if reserve:
            head += struct.pack("<HBB", hres, fres, dres) + b"H" * hres
        out.append(head + strings + folder_recs + recs + blocks)
    return names, out


def ansi(name, attr):
    s = name.decode("utf-8") if attr & A_UTF else name.decode("cp866")
    return s.replace("/", "\\").encode("cp1251")


class Writer:
    def __init__(self, outdir):
        self.outdir, self.manifest, self.archive_bytes = outdir, [], {}

    def save(self, name, data):
        with open(os.path.join(self.outdir, name), "wb") as f:
            f.write(data)

    def archive(self, folders, names, cuts=(), **kw):
        names, cabs = build_set(folders, cuts, names, **kw)
        assert len(cabs) == len(names), (names, len(cabs))
        for n, c in zip(names, cabs):
            self.save(n, c)
        self.archive_bytes[names[0]] = cabs
        self.manifest.append("archive %s %d" % (names[0], len(names)))
        for f in folders:
            for name, attr, data, _ in f.files:
                self.manifest.append("file %s %d %08X" % (ansi(name, attr).hex(), len(data), zlib.crc32(data)))
        return cabs

    def bad(self, name, data, reason):
        self.save(name, data)
        self.manifest.append("bad %s %s" % (name, reason))


def patch16(data, pos, value):
    return data[:pos] + struct.pack("<H", value) + data[pos + 2:]


def patch32(data, pos, value):
    return data[:pos] + struct.pack("<I", value) + data[pos + 4:]


def oem(s):
    return s.encode("cp866")


def utf(s):
    return s.encode("utf-8")


def folder_files(seed, method):
    return Folder(method, [
        (b"readme.txt", A_ARCH, text(seed, 700)),
        (b"empty.txt", A_ARCH, b""),
        (b"sub\\big.txt", A_ARCH, text(seed + 1, 70000)),       # over three data blocks
        (oem("sub\\Привет.txt"), A_ARCH, text(seed + 2, 1500)),  # 866 as DOS tools write it
        (utf("Папка/тест.bin"), A_ARCH | A_UTF, noise(seed + 3, 5000)),
        (b"last-empty", A_ARCH, b""),
    ])


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    w = Writer(outdir)

    w.archive([folder_files(1, STORED)], ["stored.cab"])
    w.archive([folder_files(10, MSZIP)], ["mszip.cab"])
    w.archive([Folder(MSZIP, [(b"mszip.txt", A_ARCH, text(20, 4000)), (b"e.txt", A_ARCH, b"")]),
               Folder(STORED, [(b"stored.txt", A_ARCH, text(21, 300)), (b"noise.bin", A_ARCH, noise(22, 999))]),
               Folder(LZX, [(b"lzx.txt", A_ARCH, text(23, 187)), (b"lzx2.txt", A_ARCH, text(24, 2000))])],
              ["folders.cab"])
    w.archive([Folder(MSZIP, [(b"a.txt", A_ARCH, text(30, 40000)), (b"b.txt", A_ARCH, text(31, 10))]),
               Folder(STORED, [(b"c.txt", A_ARCH, text(32, 100))])], ["reserve.cab"], reserve=(6, 2, 3))

    # Sets: a file continued into the next cabinet, cut inside a data block and on a block
    # boundary.
    span = [Folder(STORED, [(b"first.txt", A_ARCH, text(40, 20000)), (b"span.txt", A_ARCH, text(41, 30000)),
                            (b"after.txt", A_ARCH, text(42, 9000))]),
            Folder(MSZIP, [(b"second.txt", A_ARCH, text(43, 3000))])]
    w.archive(span, ["split1.cab", "split2.cab"], cuts=[BLOCK + 5000])
    w.archive(span, ["whole1.cab", "whole2.cab"], cuts=[BLOCK])
    # Three files through five cabinets: the last one runs through all of them, continued
    # from the previous and into the next cabinet at once in the middle ones.
    multi = Folder(MSZIP, [(b"test1.txt", A_ARCH, text(50, 700)), (b"test2.txt", A_ARCH, noise(51, 300)),
                           (b"test3.txt", A_ARCH, noise(52, 150000))])
    first = len(multi.blocks[0][0])
    w.archive([multi], ["multi%d.cab" % i for i in range(1, 6)], cuts=[first + 1000 + 30000 * i for i in range(4)])
    # Files that begin inside a folder continued from the previous cabinet.
    cont = Folder(MSZIP, [(b"c1.bin", A_ARCH, noise(60, 40000)), (b"c2.bin", A_ARCH, noise(61, 30000)),
                          (b"c3.bin", A_ARCH, noise(62, 30000))])
    w.archive([cont], ["cont1.cab", "cont2.cab", "cont3.cab"], cuts=[25000, 60000])

    # Damaged sets: the next cabinet is the cabinet itself; belongs to another set; stands
    # at the wrong place in the set; two cabinets name each other.
    two = [Folder(STORED, [(b"one.txt", A_ARCH, text(70, 20000)), (b"two.txt", A_ARCH, text(71, 30000))])]
    _, c = build_set(two, [BLOCK + 5000], ["self.cab", "self.cab"])
    w.bad("self.cab", c[0], "names itself as the next cabinet")
    _, c = build_set(two, [BLOCK + 5000], ["otherset1.cab", "otherset2.cab"])
    w.bad("otherset1.cab", c[0], "the next cabinet is of another set")
    w.save("otherset2.cab", patch16(c[1], 32, 0x1111))
    _, c = build_set(two, [BLOCK + 5000], ["place1.cab", "place2.cab"])
    w.bad("place1.cab", c[0], "the next cabinet stands first in its set")
    w.save("place2.cab", patch16(c[1], 34, 0))
    three = [Folder(STORED, [(b"r%d.txt" % i, A_ARCH, text(80 + i, 100))]) for i in range(3)]
    cuts = [100, 200]
    _, c = build_set(three, cuts, ["ring1.cab", "ring2.cab", "ring1.cab"])
    w.bad("ring1.cab", c[0], "two cabinets name each other")
    w.save("ring2.cab", c[1])
    # Opened at its second cabinet, whose file runs on into a third of another set.
    _, c = build_set([Folder(STORED, [(b"m1.txt", A_ARCH, text(90, 1000))]),
                      Folder(STORED, [(b"m2.txt", A_ARCH, text(91, 20000))])], [1000, 16000],
                     ["mid1.cab", "mid2.cab", "mid3.cab"])
    w.bad("mid2.cab", c[1], "opened in the middle, the next cabinet is of another set")
    w.save("mid3.cab", patch16(c[2], 32, 0x2222))
    # A file table past the end of the cabinet.
    w.bad("filesoff.cab", patch32(w.archive_bytes["stored.cab"][0], 16, 0x7FFFFFFF), "file table past the end")

    with open(os.path.join(outdir, "cabs.txt"), "w") as f:
        f.write("\n".join(w.manifest) + "\n")


if __name__ == "__main__":
    main()
