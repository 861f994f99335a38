#!/bin/sh
# Runs make-handmade-fixtures.py and checks its output with independent decoders:
# lhasa (-lh1-, -lh4-), unar's lsar (ZOO, ARC crunch, ARC folders) and nomarch.
set -e
here=$(cd "$(dirname "$0")" && pwd)
python3 "$here/make-handmade-fixtures.py"
cd "$here/oldfmt"
lhasa t lh1.lzh
lsar -t zoo.zoo
lsar -t crunch.arc
lsar -t nested.arc
nomarch -t crunch.arc || true  # nomarch knows methods 5 and 6, not 7
