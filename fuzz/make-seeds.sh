#!/usr/bin/env bash
# Fills the seeds of the decoder targets (seeds/<target>_fuzz/) from the test fixtures:
# deflate bodies of the gzip files, the entries of the hand-made ZIP of the older methods
# (with the two parameter bytes the targets expect), compress files and tar archives.
# Other targets' seeds are left alone.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd -P)
DATA="$HERE/../tests/archive/data"
for t in inflate unshrink unreduce explode lzw tar_header; do rm -rf "$HERE/seeds/${t}_fuzz"; done
python3 - "$DATA" "$HERE/seeds" <<'PY'
import os, struct, sys
data, out = sys.argv[1], sys.argv[2]
def put(target, name, blob):
    d = os.path.join(out, target + '_fuzz'); os.makedirs(d, exist_ok=True)
    open(os.path.join(d, name), 'wb').write(blob)
for gz in ('data9.bin.gz', 'concat.gz'):
    b = open(os.path.join(data, 'arc3', gz), 'rb').read()
    put('inflate', gz + '.raw', b[10:-8] if gz != 'concat.gz' else b[10:])
z = open(os.path.join(data, 'oldmethods.zip'), 'rb').read()
p = 0
while z[p:p + 4] == b'PK\x03\x04':
    flags, method = struct.unpack('<HH', z[p + 6:p + 10])
    csz, usz, nl, xl = struct.unpack('<IIHH', z[p + 18:p + 30])
    name = z[p + 30:p + 30 + nl].decode(); body = z[p + 30 + nl + xl:p + 30 + nl + xl + csz]
    kb = min(255, (usz + 1023) // 1024)
    if method == 1:
        put('unshrink', name, body)
    elif method <= 5:
        put('unreduce', name, bytes([method - 2, kb]) + body)
    elif method == 6:
        put('explode', name, bytes([flags & 6, kb]) + body)
    p += 30 + nl + xl + csz
for b in (10, 12, 16):
    put('lzw', 'big%d.Z' % b, open(os.path.join(data, 'arc3', 'big%d.Z' % b), 'rb').read()[:6000])
for t in ('ustar.tar', 'gnu.tar', 'pax.tar', 'evil.tar'):
    put('tar_header', t, open(os.path.join(data, 'arc3', t), 'rb').read())
PY
