#!/usr/bin/env python3
"""Part of make-arc3-fixtures.sh: fixtures no tool writes, made from tool output.
hdr.gz   - a gzip member of readme.txt with every optional header field: FEXTRA, a
           300-byte FNAME, FCOMMENT and FHCRC, around the deflate data gzip made.
evil.tar - a ustar archive whose names try to leave the target folder."""
import binascii, os, struct, sys, tarfile, io

W = sys.argv[1]
os.chdir(W)

# ---- hdr.gz: the deflate body of part1.gz (gzip -9 -n of readme.txt) with a full header
body = open('part1.gz', 'rb').read()
assert body[3] == 0  # no optional fields: the data start at 10
deflate, trailer = body[10:-8], body[-8:]
name = b'n' * 296 + b'.txt'
extra = b'AB' + struct.pack('<H', 4) + b'wxyz'
hdr = bytearray(b'\x1f\x8b\x08' + bytes([2 | 4 | 8 | 16]) + struct.pack('<I', 981173106) + b'\x00\x03')
hdr += struct.pack('<H', len(extra)) + extra + name + b'\x00' + b'a comment\x00'
hdr += struct.pack('<H', binascii.crc32(bytes(hdr)) & 0xFFFF)
open('hdr.gz', 'wb').write(bytes(hdr) + deflate + trailer)

# ---- evil.tar: names with "..", an absolute path, and a plain file after them
def member(name, data):
    ti = tarfile.TarInfo(name)
    ti.size = len(data); ti.mtime = 981173106; ti.mode = 0o644
    return ti, io.BytesIO(data)

buf = io.BytesIO()
with tarfile.open(fileobj=buf, mode='w', format=tarfile.USTAR_FORMAT) as t:
    for n, d in [('../evil1.txt', b'one'), ('a/../../evil2.txt', b'two'), ('/abs/evil3.txt', b'three'),
                 ('ok.txt', b'fine')]:
        t.addfile(*member(n, d))
open('evil.tar', 'wb').write(buf.getvalue())
