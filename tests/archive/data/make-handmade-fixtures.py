#!/usr/bin/env python3
"""Hand-built fixtures for the formats and methods no Debian tool writes:
  oldfmt/lh1.lzh    -lh1- (LZHUF) and -lh4- entries, level-0 headers
  oldfmt/zoo.zoo    ZOO methods 0, 1 (LZW) and 2 (lh5 blocks), a folder and a long name
  oldfmt/crunch.arc ARC methods 5, 6 and 7 (12-bit crunch, old and new hash)
  oldfmt/nested.arc ARC folders (methods 30 and 31) nested two deep
The encoders here are small and slow; they exist only to make these files. Check the
results with an independent decoder: lhasa t oldfmt/lh1.lzh; lsar -t oldfmt/zoo.zoo;
nomarch -t / lsar -t oldfmt/*.arc (make-handmade-fixtures.sh does).
Run make-oldfmt-plain.py first."""
import heapq, os, struct

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "oldfmt")
plain = os.path.join(out, "plain")


def read(name):
    with open(os.path.join(plain, name), "rb") as f:
        return f.read()


def crc16(data, crc=0):
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


DOS_TIME = (44 << 25) | (6 << 21) | (15 << 16) | (12 << 11) | (30 << 5)  # 15 Jun 2024 12:30


class MsbWriter:
    def __init__(self):
        self.bits = []

    def put(self, n, v):
        for i in range(n - 1, -1, -1):
            self.bits.append((v >> i) & 1)

    def data(self):
        b = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, b[i:i + 8])), 2) for i in range(0, len(b), 8))


class LsbWriter:
    def __init__(self):
        self.acc = 0
        self.n = 0
        self.out = bytearray()

    def put(self, n, v):
        self.acc |= v << self.n
        self.n += n
        while self.n >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.n -= 8

    def data(self):
        if self.n:
            self.out.append(self.acc & 0xFF)
            self.acc = self.n = 0
        return bytes(self.out)


def find_matches(data, window, max_len, min_len=3, history=b""):
    """Greedy LZ77 over history + data: a list of (literal byte) or (length, distance)."""
    buf = history + data
    chains = {}
    tokens = []
    i = len(history)
    for k in range(max(0, len(history) - window), len(history) - 2):
        chains.setdefault(buf[k:k + 3], []).append(k)
    while i < len(buf):
        best_len, best_dist = 0, 0
        for k in reversed(chains.get(buf[i:i + 3], [])[-400:]):
            d = i - k
            if d > window:
                break
            n = 0
            while n < max_len and i + n < len(buf) and buf[k + n] == buf[i + n]:
                n += 1
            if n > best_len:
                best_len, best_dist = n, d
        step = best_len if best_len >= min_len else 1
        tokens.append((best_len, best_dist) if best_len >= min_len else buf[i])
        for k in range(i, i + step):
            chains.setdefault(buf[k:k + 3], []).append(k)
        i += step
    return tokens


# ---- -lh1-: LZHUF -----------------------------------------------------------------------

def lzhuf_encode(data):
    N, F, TH = 4096, 60, 2
    NCHAR = 256 - TH + F
    T = NCHAR * 2 - 1
    R = T - 1
    freq = [0] * (T + 1)
    prnt = [0] * (T + NCHAR)
    son = [0] * T
    for i in range(NCHAR):
        freq[i] = 1
        son[i] = i + T
        prnt[i + T] = i
    i, j = 0, NCHAR
    while j <= R:
        freq[j] = freq[i] + freq[i + 1]
        son[j] = i
        prnt[i] = prnt[i + 1] = j
        i += 2
        j += 1
    freq[T] = 0xFFFF
    prnt[R] = 0

    def reconst():
        j = 0
        for i in range(T):
            if son[i] >= T:
                freq[j] = (freq[i] + 1) // 2
                son[j] = son[i]
                j += 1
        i, j = 0, NCHAR
        while j < T:
            f = freq[j] = freq[i] + freq[i + 1]
            k = j - 1
            while f < freq[k]:
                k -= 1
            k += 1
            freq[k + 1:j + 1] = freq[k:j]
            freq[k] = f
            son[k + 1:j + 1] = son[k:j]
            son[k] = i
            i += 2
            j += 1
        for i in range(T):
            k = son[i]
            if k >= T:
                prnt[k] = i
            else:
                prnt[k] = prnt[k + 1] = i

    def update(c):
        if freq[R] == 0x8000:
            reconst()
        c = prnt[c + T]
        while True:
            freq[c] += 1
            k = freq[c]
            l = c + 1
            if k > freq[l]:
                l += 1
                while k > freq[l]:
                    l += 1
                l -= 1
                freq[c] = freq[l]
                freq[l] = k
                i = son[c]
                prnt[i] = l
                if i < T:
                    prnt[i + 1] = l
                j = son[l]
                son[l] = i
                prnt[j] = c
                if j < T:
                    prnt[j + 1] = c
                son[c] = j
                c = l
            c = prnt[c]
            if c == 0:
                break

    # Upper six bits of a position: prefix codes, as the decoder's table lays them out.
    d_code, d_len = [], []
    for count, per, ln in ((1, 32, 3), (3, 16, 4), (8, 8, 5), (12, 4, 6), (24, 2, 7), (16, 1, 8)):
        for _ in range(count):
            d_code += [len(set(d_code))] * per
            d_len += [ln] * per
    first = {}
    for i in range(256):
        first.setdefault(d_code[i], i)

    w = MsbWriter()

    def put_char(c):
        bits = []
        k = prnt[c + T]
        while True:
            bits.append(k & 1)
            k = prnt[k]
            if k == R:
                break
        for b in reversed(bits):
            w.put(1, b)
        update(c)

    for t in find_matches(data, N - 1, F, TH + 1, b" " * (N - F)):
        if isinstance(t, int):
            put_char(t)
        else:
            length, dist = t
            put_char(255 - TH + length)
            pos = dist - 1
            i = first[pos >> 6]
            w.put(d_len[i], i >> (8 - d_len[i]))
            w.put(6, pos & 0x3F)
    return w.data()


# ---- -lh4-/-lh5-: static Huffman blocks ---------------------------------------------------

def huff_lengths(freqs, limit=16):
    used = [i for i, f in enumerate(freqs) if f]
    lengths = [0] * len(freqs)
    if len(used) < 2:
        return lengths, used
    heap = [(freqs[i], i, None) for i in used]
    heapq.heapify(heap)
    n = len(freqs)
    nodes = {}
    while len(heap) > 1:
        a = heapq.heappop(heap)
        b = heapq.heappop(heap)
        n += 1
        nodes[n] = (a, b)
        heapq.heappush(heap, (a[0] + b[0], n, (a, b)))

    def walk(node, depth):
        if node[2] is None:
            lengths[node[1]] = max(depth, 1)
        else:
            walk(node[2][0], depth + 1)
            walk(node[2][1], depth + 1)
    walk(heap[0], 0)
    assert max(lengths) <= limit
    return lengths, used


def canonical(lengths):
    codes = [0] * len(lengths)
    code = 0
    for ln in range(1, 17):
        for s, l in enumerate(lengths):
            if l == ln:
                codes[s] = code
                code += 1
        code <<= 1
    return codes


def lzh_encode(data, dicbit, pbit):
    np_ = dicbit + 1
    tokens = find_matches(data, (1 << dicbit) - 1, 256)
    cfreq = [0] * 510
    pfreq = [0] * np_
    syms = []
    for t in tokens:
        if isinstance(t, int):
            cfreq[t] += 1
            syms.append((t, None))
        else:
            length, dist = t
            pos = dist - 1
            j = pos.bit_length()
            cfreq[length + 253] += 1
            pfreq[j] += 1
            syms.append((length + 253, (j, pos)))
    w = MsbWriter()
    w.put(16, len(syms))
    clen, cused = huff_lengths(cfreq)
    plen, pused = huff_lengths(pfreq)

    # Code lengths of the literal/length code, coded by the code-length code.
    items = []
    n = max((i + 1 for i, l in enumerate(clen) if l), default=0)
    i = 0
    while i < n:
        if clen[i]:
            items.append((clen[i] + 2, None))
            i += 1
            continue
        run = 0
        while i + run < n and clen[i + run] == 0:
            run += 1
        i += run
        while run:
            if run >= 20:
                k = min(run, 20 + 511)
                items.append((2, k - 20))
            elif run >= 3:
                k = min(run, 18)
                items.append((1, k - 3))
            else:
                k = 1
                items.append((0, None))
            run -= k
    tfreq = [0] * 19
    for c, _ in items:
        tfreq[c] += 1
    tlen, tused = huff_lengths(tfreq)

    def put_pt(lens, used, nbit, special):
        if len(used) < 2:
            w.put(nbit, 0)
            w.put(nbit, used[0] if used else 0)
            return
        n = max(i + 1 for i, l in enumerate(lens) if l)
        w.put(nbit, n)
        i = 0
        while i < n:
            l = lens[i]
            if l <= 6:
                w.put(3, l)
            else:
                w.put(3, 7)
                w.put(l - 7, (1 << (l - 7)) - 1)
                w.put(1, 0)
            i += 1
            if i == special:
                k = 0
                while k < 3 and i + k < n and lens[i + k] == 0:
                    k += 1
                w.put(2, k)
                i += k

    if len(cused) < 2:
        put_pt([0] * 19, [], 5, 3)
        w.put(9, 0)
        w.put(9, cused[0])
    else:
        put_pt(tlen, tused, 5, 3)
        w.put(9, n)
        tcodes = canonical(tlen)
        for c, extra in items:
            w.put(tlen[c], tcodes[c])
            if c == 1:
                w.put(4, extra)
            elif c == 2:
                w.put(9, extra)
    put_pt(plen, pused, pbit, -1)
    ccodes, pcodes = canonical(clen), canonical(plen)
    for c, p in syms:
        w.put(clen[c], ccodes[c])
        if p:
            j, pos = p
            w.put(plen[j], pcodes[j])
            if j > 1:
                w.put(j - 1, pos - (1 << (j - 1)))
    return w.data()


def lha_level0(method, name, data, packed):
    hdr = method + struct.pack("<IIIBBB", len(packed), len(data), DOS_TIME, 0x20, 0, len(name))
    hdr += name + struct.pack("<H", crc16(data))
    return bytes([len(hdr), sum(hdr) & 0xFF]) + hdr + packed


def make_lh1():
    text, runs = read("text.txt"), read("runs.bin")
    body = lha_level0(b"-lh1-", b"text.txt", text, lzhuf_encode(text))
    body += lha_level0(b"-lh4-", b"runs.bin", runs, lzh_encode(runs, 12, 4))
    body += lha_level0(b"-lh1-", b"runs1.bin", runs, lzhuf_encode(runs))
    body += lha_level0(b"-lh4-", b"text4.txt", text, lzh_encode(text, 12, 4))
    # Its first match reaches back into the blanks the ring starts with.
    spaces = b"      indented line\r\n" * 3
    body += lha_level0(b"-lh1-", b"spaces.txt", spaces, lzhuf_encode(spaces))
    return body + b"\0"


# ---- ZOO -------------------------------------------------------------------------------

def zoo_lzw(data):
    w = LsbWriter()
    dic = {}
    state = {"bits": 9, "max": 512, "free": 258, "fresh": True}

    def emit(code):
        w.put(state["bits"], code)
        if code == 256:
            state.update(bits=9, max=512, free=258, fresh=True)
            return
        if state["fresh"]:
            state["fresh"] = False
            return
        if state["free"] < 8192:
            state["free"] += 1
            if state["free"] >= state["max"] and state["bits"] < 13:
                state["bits"] += 1
                state["max"] <<= 1

    emit(256)
    nxt = 258
    cur = None
    for c in data:
        if cur is None:
            cur = c
            continue
        if (cur, c) in dic:
            cur = dic[(cur, c)]
            continue
        emit(cur)
        if nxt < 8192:
            dic[(cur, c)] = nxt
            nxt += 1
        else:
            emit(256)
            dic.clear()
            nxt = 258
        cur = c
    if cur is not None:
        emit(cur)
    emit(257)
    return w.data()


def make_zoo():
    text, runs, small = read("text.txt"), read("runs.bin"), read("small.txt")
    far = read(os.path.join("sub", "far.bin"))
    entries = [
        # (method, short name, long name, folder, data)
        (1, b"text.txt", b"", b"", text),
        (0, b"small.txt", b"", b"docs/old", small),
        (2, b"runs.bin", b"", b"docs", runs),
        (1, b"far.bin", b"", b"sub", far),
        (2, b"longna~1.txt", b"long name of a text file.txt", b"docs", text),
    ]
    packed = [
        data if m == 0 else zoo_lzw(data) if m == 1 else lzh_encode(data, 13, 4)
        for m, _, _, _, data in entries
    ]
    header_len = 34 + 9
    body = bytearray(header_len)
    pos = header_len

    def dirent(method, short, long_, folder, data, pk, next_pos, data_pos):
        var = bytes([len(long_), len(folder)]) + long_ + folder + struct.pack("<H", 0)
        d = struct.pack("<IBBIIHHHIIBBBBIH", 0xFDC4A7DC, 2, method, next_pos, data_pos,
                        DOS_TIME >> 16, DOS_TIME & 0xFFFF, crc16(data), len(data), len(pk),
                        2 if (long_ or folder) else 1, 1 if (long_ or folder) else 0, 0, 0, 0, 0)
        d += short.ljust(13, b"\0") + struct.pack("<HBH", len(var), 127, 0) + var
        return d[:54] + struct.pack("<H", crc16(d)) + d[56:]

    for (m, short, long_, folder, data), pk in zip(entries, packed):
        size = len(dirent(m, short, long_, folder, data, pk, 0, 0))
        data_pos = pos + size
        next_pos = data_pos + len(pk)
        body += dirent(m, short, long_, folder, data, pk, next_pos, data_pos) + pk
        pos = next_pos
    body += struct.pack("<IBB", 0xFDC4A7DC, 0, 0) + bytes(52)
    hdr = b"ZOO 2.10 Archive.\x1a".ljust(20, b"\0")
    hdr += struct.pack("<IIiBBBIHH", 0xFDC4A7DC, header_len, -header_len, 2, 0, 1, 0, 0, 0)
    body[:header_len] = hdr
    return bytes(body)


# ---- ARC crunch ------------------------------------------------------------------------

def rle90(data):
    out = bytearray()
    i = 0
    while i < len(data):
        c = data[i]
        if c == 0x90:
            out += b"\x90\x00"
            i += 1
            continue
        n = 1
        while n < 255 and i + n < len(data) and data[i + n] == c:
            n += 1
        if n >= 3:
            out += bytes([c, 0x90, n])
        else:
            out += bytes([c]) * n
        i += n
    return bytes(out)


def crunch(data, new_hash):
    used = [False] * 4096
    nxt = [0] * 4096
    lookup = {}

    def hsh(p, f):
        s = (p + f) & 0xFFFF
        if new_hash:
            return (s * 15073) & 0xFFF
        s |= 0x800
        return ((s * s) >> 6) & 0xFFF

    def add(p, f):
        h = hsh(p, f)
        if used[h]:
            while nxt[h]:
                h = nxt[h]
            n = (h + 101) & 0xFFF
            while used[n]:
                n = (n + 1) & 0xFFF
            nxt[h] = n
            h = n
        used[h] = True
        lookup[(p, f)] = h

    for c in range(256):
        add(0xFFFF, c)
    codes = []
    w = lookup[(0xFFFF, data[0])]
    for c in data[1:]:
        if (w, c) in lookup:
            w = lookup[(w, c)]
            continue
        codes.append(w)
        if len(lookup) < 4096:
            add(w, c)
        w = lookup[(0xFFFF, c)]
    codes.append(w)
    out = bytearray()
    for i in range(0, len(codes), 2):
        a = codes[i]
        if i + 1 < len(codes):
            b = codes[i + 1]
            out += bytes([a >> 4, ((a & 15) << 4) | (b >> 8), b & 0xFF])
        else:
            out += bytes([a >> 4, (a & 15) << 4])
    return bytes(out)


def arc_entry(method, name, data, packed):
    return (bytes([0x1A, method]) + name.ljust(13, b"\0")
            + struct.pack("<IHHHI", len(packed), DOS_TIME >> 16, DOS_TIME & 0xFFFF, crc16(data), len(data))
            + packed)


def make_crunch():
    text, runs = read("text.txt"), read("runs.bin")
    far = read(os.path.join("sub", "far.bin"))
    body = arc_entry(5, b"TEXT5.TXT", text, crunch(text, False))
    body += arc_entry(6, b"RUNS6.BIN", runs, crunch(rle90(runs), False))
    body += arc_entry(7, b"RUNS7.BIN", runs, crunch(rle90(runs), True))
    # Random bytes enough to fill the 4096-entry table, then text with the table full.
    head = far[:7000]
    body += arc_entry(7, b"FAR7.BIN", head, crunch(rle90(head), True))
    return body + b"\x1a\x00"


def make_nested():
    text, small = read("text.txt"), read("small.txt")
    inner = arc_entry(2, b"SMALL.TXT", small, small) + b"\x1a\x1f"
    mid = (arc_entry(3, b"TEXT.TXT", text, rle90(text))
           + arc_entry(30, b"INNER", b"", inner) + b"\x1a\x1f")
    body = arc_entry(2, b"TOP.TXT", small, small) + arc_entry(30, b"DOCS", b"", mid)
    body += arc_entry(2, b"LAST.TXT", small, small)
    return body + b"\x1a\x00"


def main():
    for name, make in (("lh1.lzh", make_lh1), ("zoo.zoo", make_zoo), ("crunch.arc", make_crunch),
                       ("nested.arc", make_nested)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
