#!/usr/bin/env python3
"""Hand-built archives for the lister, of the kinds no Debian tool writes, written into
lister/ beside this script:
  zoo.zoo       archive and entry comments, a long name in a folder, a deleted entry
  pak.pak       PAK methods 2, 10 and 11
  bh.bh         two BH entries, one encrypted
  ha.ha         two HA entries with paths
  rar2.rar      RAR 2.x: an entry comment, a folder, a block of another kind
  rar2c.rar     RAR 2.x with an archive comment in its main header
  rar3.rar      RAR 3.x: large sizes, salt and extended times, a sub-block, end block
  vol.rar       RAR 2.x volumes vol.rar and vol.r00, one file split over both
  nested.arc    ARC folders nested two deep
  cab1.cab      a cabinet set cab1.cab, cab2.cab with one file split over both
  b256.tar      tar headers with base-256 size and time, then a header with a bad checksum
  extra.gz      gzip with an extra field, a name and a comment
Entries hold real CRCs of their stored data, so lsar -t and cabextract -t can check them
(make-lister-fixtures.sh does)."""
import os, struct, sys, zlib

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "lister")

A = b"Hello, archive!\nThe quick brown fox jumps over the lazy dog.\n" * 4
B = b"".join(b"second file %d\n" % i for i in range(1, 11))
DOS_A = (21 << 25) | (2 << 21) | (3 << 16) | (4 << 11) | (5 << 5) | 3     # 2001-02-03 04:05:06
DOS_B = (22 << 25) | (3 << 21) | (4 << 16) | (5 << 11) | (6 << 5) | 4     # 2002-03-04 05:06:08


def crc16(data, crc=0):
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def crc32(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def save(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


# ---- ZOO ------------------------------------------------------------------------------
def make_zoo():
    hdr_len = 42
    cmt = b"zoo archive comment\0"
    entries = [  # (short, long, folder, data, deleted, comment)
        (b"a.txt", b"", b"", A, 0, b"first entry\0"),
        (b"gone.txt", b"", b"", B, 1, b""),
        (b"longna~1.txt", b"long file name.txt", b"docs/old", B, 0, b""),
        (b"\x8f\xe0\xa8\xac\xa5\xe0.txt", b"", b"", A, 0, b""),  # a Russian name in the DOS code page
    ]
    body = bytearray(hdr_len)
    pos = hdr_len
    body += cmt
    acmt_pos = pos
    pos += len(cmt)
    heads = []
    for short, long_, folder, data, deleted, ecmt in entries:
        lname = long_ + b"\0" if long_ else b""
        dname = folder + b"\0" if folder else b""
        var = bytes([len(lname), len(dname)]) + lname + dname + struct.pack("<H", 0)
        dirent_len = 56 + len(var)
        heads.append((short, lname, dname, var, data, deleted, ecmt, dirent_len))
    # Layout: each entry, its comment, its data; then the end entry.
    layout = []
    for h in heads:
        layout.append(pos)
        pos += h[7] + len(h[6]) + len(h[4])
    end_pos = pos
    for i, (short, lname, dname, var, data, deleted, ecmt, dlen) in enumerate(heads):
        here = layout[i]
        nxt = layout[i + 1] if i + 1 < len(layout) else end_pos
        cmt_pos = here + dlen if ecmt else 0
        data_pos = here + dlen + len(ecmt)
        d = struct.pack("<IBBIIHHHIIBBBBIH", 0xFDC4A7DC, 2, 0, nxt, data_pos, DOS_A >> 16, DOS_A & 0xFFFF,
                        crc16(data), len(data), len(data), 2, 1, deleted, 0, cmt_pos, len(ecmt))
        d += short.ljust(13, b"\0") + struct.pack("<HBH", len(var), 127, 0) + var
        d = d[:54] + struct.pack("<H", crc16(d)) + d[56:]
        body += d + ecmt + data
    # The end of the chain: an entry whose next is 0.
    end = struct.pack("<IBBIIHHHIIBBBBIH", 0xFDC4A7DC, 2, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0)
    end += b"\0" * 13 + struct.pack("<HBH", 4, 127, 0) + b"\0\0" + b"\0\0"
    body += end
    text = b"ZOO 2.10 Archive.\x1a".ljust(20, b"\0")
    head = text + struct.pack("<IIiBBBIHB", 0xFDC4A7DC, layout[0], -layout[0], 2, 0, 1, acmt_pos, len(cmt), 1)
    body[0:hdr_len] = head.ljust(hdr_len, b"\0")
    save("zoo.zoo", bytes(body))


# ---- ARC and PAK ---------------------------------------------------------------------
def arc_entry(method, name, data, packed, dos=DOS_A):
    return (bytes([0x1A, method]) + name.ljust(13, b"\0")
            + struct.pack("<IHHHI", len(packed), dos >> 16, dos & 0xFFFF, crc16(data), len(data)) + packed)


def make_nested():
    inner = arc_entry(2, b"SMALL.TXT", B, B, DOS_B) + b"\x1a\x1f"
    mid = arc_entry(2, b"TEXT.TXT", A, A) + arc_entry(30, b"INNER", b"", inner) + b"\x1a\x1f"
    body = arc_entry(2, b"TOP.TXT", B, B, DOS_B) + arc_entry(30, b"DOCS", b"", mid)
    body += arc_entry(2, b"LAST.TXT", A, A)
    save("nested.arc", body + b"\x1a\x00")


def make_pak():
    # The first entry's method (10 or 11) is what tells a PAK archive from an ARC one.
    body = arc_entry(10, b"B.TXT", B, B[:60], DOS_B)
    body += arc_entry(2, b"A.TXT", A, A)
    body += arc_entry(11, b"C.TXT", A, A[:100])
    save("pak.pak", body + b"\x1a\x00")


# ---- BH --------------------------------------------------------------------------------
def bh_entry(flags, method, name, data, packed, dos):
    h = struct.pack("<IHBBBBBIIII", 0x07054842, 37 + len(name), 0, 0x20, 0x20, flags, method, dos,
                    len(packed), len(data), crc32(data))
    h += struct.pack("<H", 0x20) + b"\0\0\0\0" + bytes([len(name)]) + b"\0\0\0"
    assert len(h) == 37
    return h + name + packed


def make_bh():
    body = bh_entry(0, 0, b"A.TXT", A, A, DOS_A) + bh_entry(1, 2, b"SUB\\B.TXT", B, B[:50], DOS_B)
    save("bh.bh", body)


# ---- HA --------------------------------------------------------------------------------
def ha_entry(method, path, name, data, packed):
    h = bytes([method | (2 << 4)]) + struct.pack("<IIII", len(packed), len(data), crc32(data), 981173106)
    return h + path + b"\0" + name + b"\0" + bytes([2, 1, 0x20]) + packed


def make_ha():
    body = b"HA" + struct.pack("<H", 2)
    body += ha_entry(0, b"", b"a.txt", A, A) + ha_entry(2, b"sub/", b"b.txt", B, B[:70])
    save("ha.ha", body)


# ---- RAR ---------------------------------------------------------------------------------
MARK = b"Rar!\x1a\x07\x00"


def rar_block(typ, flags, rest, add=b""):
    size = 7 + len(rest)
    body = bytes([typ]) + struct.pack("<HH", flags, size) + rest
    return struct.pack("<H", crc32(body) & 0xFFFF) + body + add


def rar_main(flags=0, extra=b""):
    return rar_block(0x73, flags, b"\0\0\0\0\0\0" + extra)


def rar_file(flags, name, data, packed=None, unp=None, attr=0x20, ver=20, method=0x30, dos=DOS_A,
             tail=b"", host=0, high=b""):
    packed = data if packed is None else packed
    unp = len(data) if unp is None else unp
    rest = struct.pack("<IIBIIBBHI", len(packed), unp, host, crc32(data), dos, ver, method, len(name), attr)
    return rar_block(0x74, 0x8000 | flags, rest + high + name + tail, packed)


def rar_comment_head(text):
    body = bytes([0x75]) + struct.pack("<HHHBBH", 0, 13 + len(text), len(text), 15, 0x30, crc32(text) & 0xFFFF)
    return struct.pack("<H", crc32(body) & 0xFFFF) + body + text


def make_rar():
    body = MARK + rar_main()
    body += rar_file(0x08, b"a.txt", A, tail=rar_comment_head(b"note on a"))
    body += rar_block(0x76, 0, b"\0" * 6)  # a block of another kind without data
    body += rar_file(0xE0, b"sub", b"", attr=0x10, dos=DOS_B)
    body += rar_file(0, b"sub\\b.txt", B, dos=DOS_B, method=0x33)
    save("rar2.rar", body)

    cmt = rar_comment_head(b"archive note")
    body = MARK + rar_main(0x02, cmt) + rar_file(0, b"a.txt", A)
    save("rar2c.rar", body)

    # RAR 3.x: large sizes (high words at 32-39, the name behind them), a salt and
    # extended times behind the name, a sub-block with data, then the end block.
    salt = bytes(range(8))
    ext_time = struct.pack("<H", 0x8000 | 3) + b"\x01\x02\x03"
    big = rar_file(0x100 | 0x400 | 0x1000, b"big.txt", A, ver=29, high=struct.pack("<II", 0, 0),
                   tail=salt + ext_time)
    sub = rar_block(0x7A, 0x8000, struct.pack("<IIBIIBBHI", 5, 5, 3, crc32(b"hello"), DOS_A, 29, 0x30, 3, 0)
                    + b"CMT", b"hello")
    long_name = b"d" * 200 + b"\\" + b"f" * 100 + b".txt"  # a name longer than 255 bytes
    body = MARK + rar_main() + big + sub + rar_file(0x04, b"sec.txt", B, ver=29, dos=DOS_B)
    body += rar_file(0, long_name, A, ver=29)
    body += rar_block(0x7B, 0x4000, b"")
    save("rar3.rar", body)

    # Volumes: big.bin's first 100 bytes in vol.rar, the rest in vol.r00.
    data = (A + B)[:180]
    p1, p2 = data[:100], data[100:]
    v1 = MARK + rar_main(0x01) + rar_file(0, b"a.txt", A) + rar_file(0x02, b"big.bin", data, packed=p1)
    v2 = MARK + rar_main(0x01) + rar_file(0x01, b"big.bin", data, packed=p2) + rar_file(0, b"tail.txt", B,
                                                                                        dos=DOS_B)
    save("vol.rar", v1)
    save("vol.r00", v2)


# ---- CAB ---------------------------------------------------------------------------------
def cab(files, folder_data, prev=None, nxt=None, reserve=False, index=0):
    """files: (name, size, folder offset, folder index, dos, attr); one stored folder."""
    flags = (1 if prev else 0) | (2 if nxt else 0) | (4 if reserve else 0)
    hdr_len = 36 + (4 + 8 if reserve else 0)
    names = b""
    if prev:
        names += prev + b"\0" + b"disk0\0"
    if nxt:
        names += nxt + b"\0" + b"disk1\0"
    folder_pos = hdr_len + len(names)
    files_pos = folder_pos + 8
    recs = b""
    for name, size, off, idx, dos, attr in files:
        recs += struct.pack("<IIHHHH", size, off, idx, dos >> 16, dos & 0xFFFF, attr) + name + b"\0"
    data_pos = files_pos + len(recs)
    block = struct.pack("<IHH", 0, len(folder_data), len(folder_data)) + folder_data
    total = data_pos + len(block)
    h = b"MSCF" + struct.pack("<IIIIIBBHHHHH", 0, total, 0, files_pos, 0, 3, 1, 1, len(files), flags, 0x1234,
                              index)
    if reserve:
        h += struct.pack("<HBB", 8, 0, 0) + b"R" * 8
    folder = struct.pack("<IHH", data_pos, 1, 0)
    return h + names + folder + recs + block


def make_cab():
    part = B[:60]
    c1 = cab([(b"a.txt", len(A), 0, 0, DOS_A, 0x20), (b"sub\\b.txt", len(B), len(A), 0xFFFE, DOS_B, 0x20)],
             A + part, nxt=b"cab2.cab", reserve=True)
    c2 = cab([(b"sub\\b.txt", len(B), len(A), 0xFFFD, DOS_B, 0x20), (b"c.txt", 5, len(A) + len(B), 0, DOS_A, 0x21)],
             B[60:] + b"hello", prev=b"cab1.cab", index=1)
    save("cab1.cab", c1)
    save("cab2.cab", c2)


# ---- tar and gzip --------------------------------------------------------------------------
def tar_header(name, size_field, mtime_field, typ=b"0", bad_sum=False):
    h = bytearray(512)
    h[0:len(name)] = name
    h[100:108] = b"0000644\0"
    h[108:116] = b"0000000\0"
    h[116:124] = b"0000000\0"
    h[124:136] = size_field
    h[136:148] = mtime_field
    h[156:157] = typ
    h[257:265] = b"ustar  \0"
    h[148:156] = b" " * 8
    s = sum(h) + (1 if bad_sum else 0)
    h[148:156] = b"%06o\0 " % s
    return bytes(h)


def b256(value, width):
    return bytes([0x80]) + value.to_bytes(width - 1, "big", signed=True)


def make_tar():
    body = tar_header(b"b256.txt", b256(len(B), 12), b256(1015218368, 12)) + B.ljust(512, b"\0")
    body += tar_header(b"old.txt", b256(5, 12), b"%011o\0" % 981173106) + b"hello".ljust(512, b"\0")
    body += tar_header(b"bad.txt", b"%011o\0" % 5, b"%011o\0" % 981173106, bad_sum=True) + b"x" * 512
    body += tar_header(b"after.txt", b"%011o\0" % 5, b"%011o\0" % 981173106) + b"x" * 512
    save("b256.tar", body + b"\0" * 1024)


def make_gzip():
    flags = 0x04 | 0x08 | 0x10
    extra = b"AB\x02\x00xy"
    comp = zlib.compressobj(9, zlib.DEFLATED, -15)
    raw = comp.compress(A) + comp.flush()
    g = b"\x1f\x8b\x08" + bytes([flags]) + struct.pack("<I", 981173106) + b"\x02\x03"
    g += struct.pack("<H", len(extra)) + extra + b"inner.txt\0" + b"gzip comment\0" + raw
    g += struct.pack("<II", crc32(A), len(A))
    save("extra.gz", g)


def main():
    os.makedirs(out, exist_ok=True)
    for make in (make_zoo, make_nested, make_pak, make_bh, make_ha, make_rar, make_cab, make_tar, make_gzip):
        make()


if __name__ == "__main__":
    main()
