#!/usr/bin/env python3
"""Russian names in LHA, ZOO and RAR archives, built by hand in the shapes the real tools
write (no Debian tool writes these names), into cyrnames/ beside this script:
  lha-dos.lzh    level 0 as DOS LHA wrote it: "Папка\\Привет.dos" in code page 866
  lha-unix.lzh   level 2 from LHa for UNIX (OS 'U'): "Привет.txt" in UTF-8 in the folder
                 "Папка" (0xFF separators)
  zoo-dos.zoo    a DOS entry: the short name "Привет.dos" in 866
  zoo-unix.zoo   a Unix entry (system id 0): the long name "Привет.txt" and the folder
                 "Папка" in UTF-8
  rar-dos.rar    RAR 2.x made on DOS: "Папка\\Привет.dos" in 866
  rar-unicode.rar RAR 3.x made on Windows with the Unicode name flag: "Папка\\Привет.txt"
  rar-unix.rar   RAR 3.x made on Unix without it: "Папка/Привет.txt" in UTF-8
  rar5.rar       RAR 5: "Папка/Привет.txt" (its names are always UTF-8)
Each entry is stored and holds its real CRC, so a reader that checks finds it whole."""
import os, runpy, struct, sys, zlib

here = os.path.dirname(os.path.abspath(__file__))
out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "cyrnames")
# The shared builders of the lister's fixtures (its own output is made only when run directly).
lf = runpy.run_path(os.path.join(here, "make-lister-fixtures.py"), run_name="lister_fixtures")
crc16, crc32, MARK, rar_main, rar_file, rar_block = (lf[k] for k in ("crc16", "crc32", "MARK", "rar_main", "rar_file", "rar_block"))

FOLDER, PRIVET = "Папка", "Привет"
UTF, OEM = b"utf\n", b"oem\n"
DOS_TIME = (41 << 25) | (3 << 21) | (4 << 16) | (5 << 11) | (6 << 5) | 4   # 2021-03-04 05:06:08
UNIX_TIME = 1614834368                                                   # the same, UTC


def oem(s):
    return s.encode("cp866")


def utf(s):
    return s.encode("utf-8")


def save(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


# ---- LHA -----------------------------------------------------------------------------------

def lha_level0(name, data):
    rest = (b"-lh0-" + struct.pack("<IIIBB", len(data), len(data), DOS_TIME, 0x20, 0)
            + bytes([len(name)]) + name + struct.pack("<H", crc16(data)))
    return bytes([len(rest), sum(rest) & 0xFF]) + rest + data


def lha_level2(name, folder, data):
    # The header's own CRC first, as LHa for UNIX writes it, then the name and the folder.
    exts = [(0x00, b"\0\0"), (0x01, name), (0x02, folder)]
    sizes = [3 + len(d) for _, d in exts] + [0]
    ext_bytes = b""
    for i, (t, d) in enumerate(exts):
        ext_bytes += bytes([t]) + d + struct.pack("<H", sizes[i + 1])
    total = 26 + len(ext_bytes)
    hdr = bytearray(struct.pack("<H", total) + b"-lh0-" + struct.pack("<IIIBB", len(data), len(data), UNIX_TIME, 0x20, 2)
                    + struct.pack("<H", crc16(data)) + b"U" + struct.pack("<H", sizes[0]) + ext_bytes)
    assert len(hdr) == total
    hdr[27:29] = struct.pack("<H", crc16(bytes(hdr)))
    return bytes(hdr) + data


# ---- ZOO -----------------------------------------------------------------------------------

def zoo_archive(entries):
    """entries: (short name, long name, folder, system id or None for a type-1 entry, data)"""
    header_len = 43
    body = bytearray(header_len)
    pos = header_len

    def dirent(short, long_, folder, sysid, data, next_pos, data_pos):
        typ = 1 if sysid is None else 2
        var = b"" if typ == 1 else bytes([len(long_), len(folder)]) + long_ + folder + struct.pack("<H", sysid)
        d = struct.pack("<IBBIIHHHIIBBBBIH", 0xFDC4A7DC, typ, 0, next_pos, data_pos, DOS_TIME >> 16,
                        DOS_TIME & 0xFFFF, crc16(data), len(data), len(data), 2 if typ == 2 else 1, 0, 0, 0, 0, 0)
        d += short.ljust(13, b"\0")
        if typ == 2:
            d += struct.pack("<HBH", len(var), 127, 0) + var
            d = d[:54] + struct.pack("<H", crc16(d)) + d[56:]
        else:
            d += bytes(5)
        return d

    for short, long_, folder, sysid, data in entries:
        size = len(dirent(short, long_, folder, sysid, data, 0, 0))
        data_pos = pos + size
        next_pos = data_pos + len(data)
        body += dirent(short, long_, folder, sysid, data, next_pos, data_pos) + data
        pos = next_pos
    body += struct.pack("<IBB", 0xFDC4A7DC, 0, 0) + bytes(52)
    hdr = b"ZOO 2.10 Archive.\x1a".ljust(20, b"\0")
    hdr += struct.pack("<IIiBBBIHH", 0xFDC4A7DC, header_len, -header_len, 2, 0, 1, 0, 0, 0)
    body[:header_len] = hdr
    return bytes(body)


# ---- RAR -----------------------------------------------------------------------------------

def rar_unicode_name(text):
    """The OEM form, a zero, then the UTF-16 form coded as RAR 3 codes it: a high byte, then
    per four characters a flag byte whose 2-bit fields say how each follows (2: both bytes)."""
    units = text.encode("utf-16-le")
    enc = bytearray([0x04])
    chars = [units[i:i + 2] for i in range(0, len(units), 2)]
    for i in range(0, len(chars), 4):
        group = chars[i:i + 4]
        enc.append(0xAA)
        for c in group:
            enc += c
    return oem(text) + b"\0" + bytes(enc)


def vint(n):
    b = bytearray()
    while True:
        x = n & 0x7F
        n >>= 7
        b.append(x | (0x80 if n else 0))
        if not n:
            return bytes(b)


def rar5_block(typ, flags, fields, data=b"", extra=b""):
    body = vint(typ) + vint(flags) + (vint(len(extra)) if flags & 1 else b"") + \
        (vint(len(data)) if flags & 2 else b"") + fields + extra
    head = vint(len(body)) + body
    return struct.pack("<I", zlib.crc32(head) & 0xFFFFFFFF) + head + data


def rar5(name, data):
    main = rar5_block(1, 0, vint(0))
    # File flags: 2 time, 4 CRC; compression info 0 (version 0, stored); host 1 (Unix).
    fields = vint(2 | 4) + vint(len(data)) + vint(0o100644) + struct.pack("<II", UNIX_TIME, crc32(data))
    fields += vint(0) + vint(1) + vint(len(name)) + name
    f = rar5_block(2, 2, fields, data)
    end = rar5_block(5, 0, vint(0))
    return b"Rar!\x1a\x07\x01\x00" + main + f + end


def main():
    os.makedirs(out, exist_ok=True)
    save("lha-dos.lzh", lha_level0(oem(FOLDER + "\\" + PRIVET + ".dos"), OEM) + b"\0")
    save("lha-unix.lzh", lha_level2(utf(PRIVET + ".txt"), utf(FOLDER) + b"\xff", UTF) + b"\0")
    save("zoo-dos.zoo", zoo_archive([(oem(PRIVET + ".dos"), b"", b"", None, OEM)]))
    save("zoo-unix.zoo", zoo_archive([(b"privet.txt", utf(PRIVET + ".txt"), utf(FOLDER), 0, UTF)]))
    save("rar-dos.rar", MARK + rar_main() + rar_file(0, oem(FOLDER + "\\" + PRIVET + ".dos"), OEM, dos=DOS_TIME))
    save("rar-unicode.rar", MARK + rar_main() + rar_file(0x200, rar_unicode_name(FOLDER + "\\" + PRIVET + ".txt"),
                                                      UTF, ver=29, host=2, dos=DOS_TIME) + rar_block(0x7B, 0x4000, b""))
    save("rar-unix.rar", MARK + rar_main() + rar_file(0, utf(FOLDER + "/" + PRIVET + ".txt"), UTF, ver=29, host=3,
                                                   dos=DOS_TIME, attr=0o100644) + rar_block(0x7B, 0x4000, b""))
    save("rar5.rar", rar5(utf(FOLDER + "/" + PRIVET + ".txt"), UTF))


if __name__ == "__main__":
    main()
