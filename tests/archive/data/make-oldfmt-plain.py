#!/usr/bin/env python3
"""Writes the plain files that the LHA, ARJ, ARC and ZOO fixtures are made of (oldfmt/plain)."""
import os, sys

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "oldfmt", "plain")
os.makedirs(os.path.join(out, "sub"), exist_ok=True)

seed = 12345
def rnd():
    global seed
    seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
    return seed >> 16

words = ("archive entry window match literal position header volume folder "
         "table code length block stream extract name size date file").split()
def text(n):
    s = []
    while sum(len(w) + 1 for w in s) < n:
        s.append(words[rnd() % len(words)])
        if rnd() % 9 == 0:
            s.append("\r\n")
    return (" ".join(s)[:n]).encode()

def put(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)

put("text.txt", text(3000))
put("small.txt", b"Small file, stored as it is.\r\n")
far = bytes(rnd() & 0xFF for _ in range(4096))
# The same 4 KB again 30 KB later: matches far back in the window.
put("pk.txt", b"a" * 46 + b"b" * 32 + b"xyzxyzxyz1234567")
put(os.path.join("sub", "far.bin"), far + text(26000) + far + text(500))
runs = bytearray()
for i in range(40):
    runs += bytes([0x90]) * (rnd() % 5) + bytes([i]) * (rnd() % 300) + bytes([0x90, 0x41, 0x90, 0x90, 0])
put("runs.bin", bytes(runs))
# Few distinct bytes without repeated strings: arc squeezes it.
put("skew.bin", bytes(b"etaoinshrdlu"[min(rnd() % 16, rnd() % 16, 11)] for _ in range(1500)))
