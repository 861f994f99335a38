#!/bin/sh
# Makes the small GIF fixtures of the UI tests with ImageMagick, and beside each frame the
# frame's pixels as ImageMagick decodes them (RGB, 3 bytes a pixel), which the tests
# compare with ours. Run from anywhere; writes into fixtures/ beside this script.
set -e
cd "$(dirname "$0")/fixtures"
# 8-bit, interlaced: 40 x 30 with 200 colours of a gradient.
convert -size 40x30 gradient:red-blue -colors 200 -interlace GIF interlaced8.gif
# 1-bit: black and white checks.
convert -size 17x9 pattern:checkerboard -monochrome mono1.gif
# Transparent: a red disc on a transparent square.
convert -size 20x20 xc:none -fill red -draw "circle 10,10 10,3" transparent.gif
# Three frames with their own (local) colour tables, delays and an offset frame, looping 5 times.
convert -loop 5 -delay 20 -size 12x10 xc:green \
  -delay 30 -page 12x10+2+3 -size 5x4 xc:yellow \
  -delay 40 -page 12x10+0+0 -size 12x10 gradient:white-black \
  frames.gif
# A comment and a large, mostly flat picture whose codes reach 12 bits and a clear.
convert -size 120x80 plasma:fractal -seed 7 -colors 256 -set comment "Zembrix test" big8.gif 2>/dev/null || \
convert -size 120x80 gradient:yellow-navy -swirl 180 -colors 256 -set comment "Zembrix test" big8.gif
for f in interlaced8 mono1 transparent big8; do convert "$f.gif" -depth 8 "rgb:$f.rgb"; done
for i in 0 1 2; do convert "frames.gif[$i]" +repage -depth 8 "rgb:frames-$i.rgb"; done
