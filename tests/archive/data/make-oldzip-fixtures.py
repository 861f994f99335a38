#!/usr/bin/env python3
"""Makes the ZIP fixtures of the older methods, which no Debian tool writes: shrink (1),
reduce (2-5) and implode (6). The encoders below are test-only and plain; the shrunk and
imploded entries are checked with two independent decoders (unzip and 7zz) before the
archive is kept.

    python3 make-oldzip-fixtures.py      (run in this folder)
"""
import os, random, struct, subprocess, sys, tempfile, zlib

HERE = os.path.dirname(os.path.abspath(__file__))


class BitWriter:
    def __init__(self):
        self.out = bytearray(); self.acc = 0; self.n = 0
    def put(self, value, bits):
        self.acc |= (value & ((1 << bits) - 1)) << self.n; self.n += bits
        while self.n >= 8:
            self.out.append(self.acc & 255); self.acc >>= 8; self.n -= 8
    def data(self):
        return bytes(self.out + (bytes([self.acc]) if self.n else b''))


# ---- shrink: LZW, 9..13-bit codes, 256+1 grows the code, 256+2 clears the leaves --------
def shrink(data, clear=True):
    bw = BitWriter(); size = 9
    table = {}            # (prefix, byte) -> code
    parent = {}           # code -> (prefix, byte)
    free = list(range(257, 8192))
    def emit(code):
        nonlocal size
        while code >= (1 << size):
            bw.put(256, size); bw.put(1, size); size += 1
        bw.put(code, size)
    def partial_clear():
        parents = {p for (p, _) in parent.values() if p >= 257}
        for code in [c for c in parent if c not in parents]:
            del table[parent[code]]; del parent[code]
        free[:] = [c for c in range(257, 8192) if c not in parent]
    if not data:
        return b'', 0
    clears = 0
    w = data[0]
    for c in data[1:]:
        if (w, c) in table:
            w = table[(w, c)]; continue
        emit(w)
        # Clear only where both sides agree without doubt: the string just sent is a
        # byte or a parent, so it survives the clear.
        if clear and not free and (w < 256 or any(p == w for (p, _) in parent.values())):
            bw.put(256, size); bw.put(2, size); partial_clear(); clears += 1
        if free:
            code = free.pop(0); table[(w, c)] = code; parent[code] = (w, c)
        w = c
    emit(w)
    return bw.data(), clears


# ---- reduce: DLE-coded matches over follower sets ------------------------------------------
def reduce_(data, factor):
    mask = 0xFF >> factor; maxdist = 256 << factor
    inter = bytearray(); i = 0; n = len(data)
    while i < n:
        best = (0, 0)
        for d in range(1, min(i, maxdist) + 1):
            l = 0
            while i + l < n and l < mask + 255 + 3 and data[i + l - d] == data[i + l]:
                l += 1
            if l > best[0]:
                best = (l, d)
            if l >= 40:
                break
        l, d = best
        lenv = l - 3
        if l >= 3 and not (lenv == 0 and d <= 256):
            v = (((d - 1) >> 8) << (8 - factor)) | min(lenv, mask)
            inter += bytes([144, v])
            if min(lenv, mask) == mask:
                inter.append(lenv - mask)
            inter.append((d - 1) & 255)
            i += l
        else:
            inter += b'\x90\x00' if data[i] == 144 else bytes([data[i]]); i += 1
    # Follower sets: the most frequent successors of each byte, at most 32.
    succ = [dict() for _ in range(256)]
    last = 0
    for c in inter:
        succ[last][c] = succ[last].get(c, 0) + 1; last = c
    sets = [sorted(s, key=lambda k: (-s[k], k))[:32] for s in succ]
    bw = BitWriter()
    for j in range(255, -1, -1):
        bw.put(len(sets[j]), 6)
        for f in sets[j]:
            bw.put(f, 8)
    last = 0
    for c in inter:
        s = sets[last]
        if not s:
            bw.put(c, 8)
        elif c in s:
            n_ = len(s); b = 1 if n_ <= 2 else 2 if n_ <= 4 else 3 if n_ <= 8 else 4 if n_ <= 16 else 5
            bw.put(0, 1); bw.put(s.index(c), b)
        else:
            bw.put(1, 1); bw.put(c, 8)
        last = c
    return bw.data()


# ---- implode: Shannon-Fano trees of all symbols, a 4 or 8 KB dictionary ---------------------
def code_lengths(freq, limit=16):
    """Huffman lengths for every symbol (each counted at least once), at most limit."""
    import heapq
    f = [x + 1 for x in freq]
    while True:
        heap = [(w, i, None) for i, w in enumerate(f)]
        heapq.heapify(heap); nodes = {}; nid = len(f)
        while len(heap) > 1:
            a = heapq.heappop(heap); b = heapq.heappop(heap)
            nodes[nid] = (a[1], b[1]); heapq.heappush(heap, (a[0] + b[0], nid, None)); nid += 1
        lens = [0] * len(f); stack = [(heap[0][1], 0)]
        while stack:
            k, d = stack.pop()
            if k in nodes:
                stack += [(nodes[k][0], d + 1), (nodes[k][1], d + 1)]
            else:
                lens[k] = max(d, 1)
        if max(lens) <= limit:
            return lens
        f = [(x + 1) // 2 + 1 for x in f]

def sf_codes(lens):
    order = sorted(range(len(lens)), key=lambda i: lens[i])  # stable
    codes = [0] * len(lens); code = inc = last = 0
    for k in range(len(order) - 1, -1, -1):
        code += inc; s = order[k]
        if lens[s] != last:
            last = lens[s]; inc = 1 << (16 - last)
        codes[s] = code
    return codes

def put_sf(bw, code, length):
    for b in range(length):
        bw.put((code >> (15 - b)) & 1, 1)

def put_tree(bw, lens):
    runs = []
    for l in lens:
        if runs and runs[-1][0] == l and runs[-1][1] < 16:
            runs[-1][1] += 1
        else:
            runs.append([l, 1])
    bw.put(len(runs) - 1, 8)
    for l, c in runs:
        bw.put(((c - 1) << 4) | (l - 1), 8)

def implode(data, big_dict, lit_tree):
    low = 7 if big_dict else 6; maxdist = 8192 if big_dict else 4096
    minm = 3 if lit_tree else 2; maxlen = minm + 63 + 255
    toks = []; i = 0; n = len(data)
    while i < n:
        best = (0, 0)
        for d in range(1, min(i, maxdist) + 1):
            l = 0
            while i + l < n and l < maxlen and data[i + l - d] == data[i + l]:
                l += 1
            if l > best[0]:
                best = (l, d)
            if l >= 64:
                break
        if best[0] >= minm:
            toks.append(('m', best[0], best[1])); i += best[0]
        else:
            toks.append(('l', data[i])); i += 1
    lf = [0] * 256; nf = [0] * 64; df = [0] * 64
    for t in toks:
        if t[0] == 'l':
            lf[t[1]] += 1
        else:
            nf[min(t[1] - minm, 63)] += 1; df[(t[2] - 1) >> low] += 1
    ll, nl, dl = code_lengths(lf), code_lengths(nf), code_lengths(df)
    lc, nc, dc = sf_codes(ll), sf_codes(nl), sf_codes(dl)
    bw = BitWriter()
    if lit_tree:
        put_tree(bw, ll)
    put_tree(bw, nl); put_tree(bw, dl)
    for t in toks:
        if t[0] == 'l':
            bw.put(1, 1)
            if lit_tree:
                put_sf(bw, lc[t[1]], ll[t[1]])
            else:
                bw.put(t[1], 8)
        else:
            _, l, d = t
            bw.put(0, 1); bw.put((d - 1) & ((1 << low) - 1), low)
            h = (d - 1) >> low; put_sf(bw, dc[h], dl[h])
            k = min(l - minm, 63); put_sf(bw, nc[k], nl[k])
            if k == 63:
                bw.put(l - minm - 63, 8)
    return bw.data()


# ---- the ZIP container ------------------------------------------------------------------
def make_zip(entries):
    """entries: (name, method, flags, packed, plain)"""
    out = bytearray(); central = bytearray()
    dos_time, dos_date = (12 << 11) | (34 << 5) | (56 // 2), ((2001 - 1980) << 9) | (2 << 5) | 3
    for name, method, flags, packed, plain in entries:
        crc = zlib.crc32(plain) & 0xFFFFFFFF
        nb = name.encode()
        off = len(out)
        out += struct.pack('<IHHHHHIIIHH', 0x04034B50, 10, flags, method, dos_time, dos_date, crc,
                           len(packed), len(plain), len(nb), 0) + nb + packed
        central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, 10, 10, flags, method, dos_time, dos_date,
                               crc, len(packed), len(plain), len(nb), 0, 0, 0, 0, 0x20, off) + nb
    cd = len(out)
    out += central + struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, len(entries), len(entries), len(central), cd, 0)
    return bytes(out)


def check(path, entries):
    """Every entry through Info-ZIP unzip and 7-Zip, the independent decoders at hand.
    Neither, nor unar, decodes reduce (compiled out or missing): those entries rest on
    the CRC stored here and on the application note."""
    for name, method, _, _, plain in entries:
        if 2 <= method <= 5:
            continue
        for tool in (['unzip', '-p', path, name], ['7zz', 'e', '-so', path, name]):
            got = subprocess.run(tool, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
            if got != plain:
                sys.exit('%s: %s differs from the plain data' % (tool[0], name))


def sample(seed, size):
    r = random.Random(seed)
    words = [b'archive ', b'panel ', b'file ', b'manager ', b'Zembrix ', b'\r\n', b'copy ', b'the ']
    out = bytearray()
    while len(out) < size:
        k = r.randrange(4)
        if k == 0:
            out += bytes(r.randrange(256) for _ in range(r.randrange(1, 40)))
        elif k == 1:
            out += bytes([r.choice(b'\x90\x00 A')]) * r.randrange(1, 300)
        else:
            out += b''.join(r.choice(words) for _ in range(r.randrange(1, 30)))
    return bytes(out[:size])


def main():
    os.chdir(HERE)
    plain = sample(1, 6000)
    # Shrink: a long, varied input fills the 8192 codes, so the table clears its leaves.
    r = random.Random(2)
    long_plain = bytes(r.choice(b'abcdefghijklmnop') for _ in range(24000)) + sample(2, 4000)
    sh, clears = shrink(long_plain)
    assert clears > 0, 'the shrink fixture should clear the table'
    entries = [('shrunk.txt', 1, 0, sh, long_plain), ('shrunk_small.txt', 1, 0, shrink(plain, False)[0], plain)]
    for f in range(1, 5):
        entries.append(('reduced%d.txt' % f, 1 + f, 0, reduce_(plain, f), plain))
    entries.append(('imploded_8k3.txt', 6, 6, implode(plain, True, True), plain))
    entries.append(('imploded_4k2.txt', 6, 0, implode(plain, False, False), plain))
    entries.append(('empty_shrunk.txt', 1, 0, b'', b''))
    data = make_zip(entries)
    open('oldmethods.zip', 'wb').write(data)
    check('oldmethods.zip', entries)
    print('oldmethods.zip: %d bytes, %d entries, %d partial clears' % (len(data), len(entries), clears))


if __name__ == '__main__':
    main()
