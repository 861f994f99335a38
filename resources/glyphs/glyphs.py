#!/usr/bin/env python3
"""Draws the main window's tool-bar glyphs (16 x 16 each) into bitmap strips.

Run it after changing a glyph: python3 resources/glyphs/glyphs.py
It writes main_glyphs.bmp and html_glyphs.bmp beside itself (24-bit, fuchsia where the bar
shows through). The order of GLYPHS and HTML_GLYPHS is the image index the buttons use."""
import math
import os
import struct

S = 16
KEY = (255, 0, 255)
BLACK, WHITE = (0, 0, 0), (255, 255, 255)
GRAY, DARK, LIGHT = (128, 128, 128), (64, 64, 64), (192, 192, 192)
NAVY, BLUE, SKY = (0, 0, 128), (0, 64, 224), (96, 160, 255)
RED, MAROON = (224, 0, 0), (128, 0, 0)
GREEN, DGREEN = (0, 176, 0), (0, 112, 0)
YELLOW, OCHRE = (255, 224, 64), (192, 144, 0)
TEAL = (0, 128, 128)


class G:
    def __init__(self):
        self.p = [[KEY] * S for _ in range(S)]

    def px(self, x, y, c):
        if 0 <= x < S and 0 <= y < S:
            self.p[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.px(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.px(x, y0, c)
            self.px(x, y1, c)
        for y in range(y0, y1 + 1):
            self.px(x0, y, c)
            self.px(x1, y, c)

    def box(self, x0, y0, x1, y1, inside, edge=BLACK):
        self.fill(x0, y0, x1, y1, inside)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        e = dx + dy
        while True:
            self.px(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * e
            if e2 >= dy:
                e += dy
                x0 += sx
            if e2 <= dx:
                e += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for y in range(S):
            for x in range(S):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.px(x, y, c)

    def ring(self, cx, cy, r, c):
        for y in range(S):
            for x in range(S):
                d = math.hypot(x - cx, y - cy)
                if r - 0.5 <= d < r + 0.5:
                    self.px(x, y, c)

    def art(self, x0, y0, rows, colours):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.px(x0 + dx, y0 + dy, colours[ch])


def page(g, x0=3, y0=1, x1=12, y1=14):
    g.box(x0, y0, x1, y1, WHITE)
    g.fill(x1 - 2, y0, x1, y0 + 2, KEY)
    g.line(x1 - 3, y0, x1, y0 + 3, BLACK)
    g.line(x1 - 3, y0, x1 - 3, y0 + 3, BLACK)
    g.line(x1 - 3, y0 + 3, x1, y0 + 3, BLACK)


def folder(g, x0=1, y0=3, x1=14, y1=13, c=YELLOW):
    g.box(x0, y0 + 1, x1, y1, c, OCHRE)
    g.box(x0, y0, x0 + 5, y0 + 2, c, OCHRE)
    g.line(x0 + 1, y0 + 3, x1 - 1, y0 + 3, WHITE)


def gear(g, cx, cy, r, c):
    for k in range(8):
        a = k * math.pi / 4
        g.fill(round(cx + (r + 1) * math.cos(a)) - 1, round(cy + (r + 1) * math.sin(a)) - 1,
               round(cx + (r + 1) * math.cos(a)), round(cy + (r + 1) * math.sin(a)), c)
    g.disc(cx, cy, r, c)
    g.disc(cx, cy, max(1, r // 2), KEY)


def settings(g):
    gear(g, 7.5, 7.5, 4.5, DARK)
    g.disc(7.5, 7.5, 1.5, LIGHT)


def calculator(g):
    g.box(3, 0, 12, 15, LIGHT, DARK)
    g.box(4, 1, 11, 4, (200, 255, 200), BLACK)
    for y in (6, 9, 12):
        for x in (4, 7, 10):
            g.fill(x, y, x + 1, y + 1, NAVY if x < 10 else RED)


def registry(g):
    for (x, y, c) in ((1, 8, BLUE), (8, 8, TEAL), (4, 2, RED)):
        g.box(x, y, x + 6, y + 6, c, BLACK)
        g.line(x + 1, y + 1, x + 5, y + 1, WHITE)


def find(g):
    g.ring(6, 6, 4.5, BLACK)
    g.disc(6, 6, 3.6, SKY)
    g.px(5, 4, WHITE)
    g.px(4, 5, WHITE)
    for k in range(5):
        g.fill(9 + k, 9 + k, 10 + k, 10 + k, MAROON)


def monitor(g):
    g.box(1, 1, 14, 11, DARK, BLACK)
    g.fill(2, 2, 13, 10, NAVY)
    for (x, y) in ((4, 4), (9, 3), (11, 7), (6, 8), (7, 5)):
        g.px(x, y, YELLOW)
    g.fill(6, 12, 9, 12, GRAY)
    g.fill(3, 13, 12, 14, LIGHT)
    g.frame(3, 13, 12, 14, DARK)


def dos(g):
    g.box(0, 1, 15, 14, BLACK, GRAY)
    g.fill(1, 2, 14, 3, NAVY)
    g.art(2, 6, ["## #    ", "#    #  ", "#   #   ", "## #  ##"], {"#": LIGHT})


def sysconfig(g):
    page(g, 1, 0, 10, 13)
    for y in (4, 6, 8):
        g.line(3, y, 8, y, GRAY)
    gear(g, 11, 11, 2.5, DARK)


def charmap(g):
    g.box(0, 0, 15, 15, WHITE, GRAY)
    for v in (5, 10):
        g.line(v, 0, v, 15, LIGHT)
        g.line(0, v, 15, v, LIGHT)
    g.art(1, 1, ["###", "# #", "###", "# #"], {"#": BLACK})
    g.art(6, 6, ["#  #", " ## ", " ## ", "#  #"], {"#": NAVY})
    g.art(11, 11, ["## ", "# #", "## ", "# #"], {"#": MAROON})


def calendar(g):
    g.box(1, 2, 14, 14, WHITE, DARK)
    g.fill(2, 3, 13, 5, RED)
    g.px(4, 1, BLACK)
    g.px(11, 1, BLACK)
    for y in (7, 9, 11, 13):
        for x in (3, 6, 9, 12):
            g.px(x, y, GRAY)
    g.fill(9, 9, 10, 10, RED)


def cd(g):
    g.disc(7.5, 7.5, 7, LIGHT)
    g.ring(7.5, 7.5, 7, GRAY)
    g.disc(7.5, 7.5, 5, SKY)
    g.disc(7.5, 7.5, 2.5, WHITE)
    g.disc(7.5, 7.5, 1.2, KEY)
    g.line(4, 3, 6, 5, WHITE)


def game(g):
    g.disc(7.5, 8.5, 5.5, BLACK)
    g.line(7, 1, 7, 15, BLACK)
    g.line(8, 1, 8, 15, BLACK)
    g.line(0, 8, 15, 8, BLACK)
    g.line(0, 9, 15, 9, BLACK)
    g.line(2, 3, 13, 14, BLACK)
    g.line(13, 3, 2, 14, BLACK)
    g.fill(5, 6, 6, 7, WHITE)


def alarm(g):
    g.disc(7.5, 8.5, 6, MAROON)
    g.disc(7.5, 8.5, 4.8, WHITE)
    g.line(7, 8, 7, 5, BLACK)
    g.line(8, 8, 10, 8, BLACK)
    g.disc(2, 2, 1.6, MAROON)
    g.disc(13, 2, 1.6, MAROON)
    g.px(3, 15, BLACK)
    g.px(12, 15, BLACK)


def help_(g):
    g.disc(7.5, 7.5, 7, BLUE)
    g.art(5, 3, [" ### ", "##  ##", "    ##", "   ## ", "  ##  ", "      ", "  ##  "],
          {"#": WHITE})
    g.fill(7, 12, 8, 12, WHITE)


def clipboard(g):
    g.box(2, 2, 13, 15, OCHRE, MAROON)
    g.box(4, 4, 11, 14, WHITE, GRAY)
    g.box(5, 0, 10, 3, LIGHT, DARK)
    for y in (7, 9, 11):
        g.line(5, y, 10, y, GRAY)


def view_large(g):
    for (x, y) in ((1, 1), (9, 1), (1, 9), (9, 9)):
        g.box(x, y, x + 5, y + 5, SKY, NAVY)


def view_small(g):
    for y in (1, 6, 11):
        for x in (1, 9):
            g.box(x, y, x + 3, y + 3, SKY, NAVY)
            g.line(x + 5, y + 2, x + 6, y + 2, BLACK)


def view_list(g):
    for x in (0, 8):
        for y in (1, 5, 9, 13):
            g.fill(x, y, x + 1, y + 1, NAVY)
            g.line(x + 3, y + 1, x + 6, y + 1, BLACK)


def view_report(g):
    for y in (1, 5, 9, 13):
        g.fill(0, y, 1, y + 1, NAVY)
        g.line(3, y + 1, 8, y + 1, BLACK)
        g.line(10, y + 1, 15, y + 1, GRAY)


def up(g):
    folder(g, 0, 5, 15, 15)
    g.art(4, 0, ["   ##   ", "  ####  ", " ###### ", "########", "   ##   ", "   ##   ",
                 "   ##   ", "   ##   ", "   ##   "], {"#": DGREEN})


def copy(g):
    page(g, 1, 0, 9, 10)
    page(g, 6, 5, 14, 15)


def cut(g):
    g.ring(4, 12, 2.5, BLACK)
    g.ring(11, 12, 2.5, BLACK)
    g.line(5, 9, 10, 1, DARK)
    g.line(10, 9, 5, 1, DARK)
    g.line(6, 9, 10, 2, GRAY)
    g.line(9, 9, 5, 2, GRAY)


def paste(g):
    g.box(0, 2, 10, 15, OCHRE, MAROON)
    g.box(3, 0, 7, 3, LIGHT, DARK)
    page(g, 6, 6, 15, 15)


def network(g):
    for (x, y) in ((0, 9), (10, 9), (5, 0)):
        g.box(x, y, x + 5, y + 4, SKY, DARK)
        g.fill(x + 2, y + 5, x + 3, y + 5, DARK)
    g.line(7, 6, 7, 7, BLACK)
    g.line(2, 7, 12, 7, BLACK)
    g.line(2, 7, 2, 8, BLACK)
    g.line(12, 7, 12, 8, BLACK)


def open_(g):
    folder(g, 0, 3, 13, 14)
    g.fill(3, 8, 15, 14, OCHRE)
    g.line(3, 8, 15, 8, MAROON)
    g.line(0, 14, 3, 8, MAROON)


def save(g):
    g.box(1, 1, 14, 14, NAVY, BLACK)
    g.fill(4, 2, 11, 6, WHITE)
    g.fill(4, 9, 11, 14, LIGHT)
    g.fill(9, 10, 10, 13, NAVY)


def new(g):
    page(g, 2, 1, 11, 14)
    g.art(10, 8, ["  #  ", " ### ", "#####", " ### ", "  #  "], {"#": OCHRE})


def back(g):
    g.art(1, 2, ["     #     ", "    ##     ", "   ###     ", "  ######## ", " ######### ",
                 "  ######## ", "   ###     ", "    ##     ", "     #     "], {"#": NAVY})
    g.fill(11, 5, 13, 13, NAVY)
    g.fill(5, 12, 13, 13, NAVY)


def extract(g):
    g.box(1, 8, 14, 15, OCHRE, MAROON)
    g.line(2, 10, 13, 10, MAROON)
    g.fill(6, 0, 9, 5, DGREEN)
    g.art(3, 5, ["##########", " ######## ", "  ######  ", "   ####   "], {"#": DGREEN})


def view(g):
    page(g, 1, 0, 10, 13)
    for y in (4, 6, 8):
        g.line(3, y, 8, y, GRAY)
    g.ring(10, 10, 3.5, BLACK)
    g.disc(10, 10, 2.6, SKY)
    g.line(13, 13, 15, 15, MAROON)
    g.line(12, 13, 14, 15, MAROON)


def run(g):
    g.box(0, 1, 15, 14, LIGHT, DARK)
    g.fill(1, 2, 14, 3, NAVY)
    g.art(5, 5, ["#    ", "###  ", "#####", "#### ", "##   ", "#    "], {"#": DGREEN})
    g.px(9, 8, DGREEN)


def play(g):
    for x in range(4, 13):
        h = (12 - x) * 6 // 8
        g.line(x, 7 - h, x, 8 + h, DGREEN)


def stop(g):
    g.box(3, 3, 12, 12, RED, MAROON)


def info(g):
    g.disc(7.5, 7.5, 7, NAVY)
    g.fill(7, 3, 8, 4, WHITE)
    g.fill(7, 6, 8, 12, WHITE)
    g.fill(6, 6, 6, 6, WHITE)
    g.fill(6, 12, 9, 12, WHITE)


def create_archive(g):
    g.box(1, 6, 14, 15, OCHRE, MAROON)
    g.line(2, 9, 13, 9, MAROON)
    g.fill(6, 7, 9, 12, LIGHT)
    g.art(10, 0, ["  #  ", " ### ", "#####", " ### ", "  #  "], {"#": RED})


def bookmarks(g):
    folder(g, 0, 4, 15, 15)
    g.art(4, 0, ["   #   ", "   #   ", "  ###  ", "#######", " ##### ", "  # #  ", " #   # "],
          {"#": RED})



def print_(g):
    g.box(4, 1, 11, 6, WHITE, BLACK)
    g.box(1, 6, 14, 11, LIGHT, BLACK)
    g.fill(3, 8, 4, 8, GREEN)
    g.box(4, 10, 11, 14, WHITE, BLACK)
    g.line(6, 12, 9, 12, GRAY)


def font(g):
    g.art(1, 2, ["    ##    ", "    ##    ", "   #  #   ", "   #  #   ", "  #    #  ", "  ######  ",
                 " #      # ", " #      # ", "##      ##"], {"#": NAVY})
    g.line(1, 13, 14, 13, RED)


def undo(g):
    g.art(1, 3, ["   #         ", "  ##         ", " ########    ", "##########  ", " ########### ",
                 "  ##      ## ", "   #       ##", "           ##", "          ## ", "         ##  "], {"#": NAVY})


def redo(g):
    g.art(2, 3, ["         #   ", "         ##  ", "    ######## ", "  ##########", " ########### ",
                 " ##      ##  ", "##       #   ", "##           ", " ##          ", "  ##         "], {"#": NAVY})


def syntax(g):
    g.art(1, 2, ["  ##      ##  ", " #          # ", " #          # ", " #   #  #   # ", "#    #  #    #",
                 " #          # ", " #          # ", " #          # ", "  ##      ##  "], {"#": DGREEN})
    g.line(4, 13, 11, 13, RED)


def coding(g):
    g.art(0, 3, ["####   ", "#      ", "###    ", "#  #   ", "#  #   ", "###    "], {"#": NAVY})
    g.art(8, 7, ["####", "#   ", "### ", "#  #", "###"], {"#": RED})
    g.line(4, 12, 7, 12, BLACK)
    g.px(6, 11, BLACK)
    g.px(6, 13, BLACK)


def arrow_left(g, c=DGREEN):
    g.art(1, 3, ["     #        ", "    ##        ", "   ###        ", "  ############", " #############",
                 "##############", " #############", "  ############", "   ###        ", "    ##        ",
                 "     #        "], {"#": c})


def arrow_right(g, c=DGREEN):
    arrow_left(g, c)
    g.p = [list(reversed(row)) for row in g.p]


def clear(g):
    page(g, 2, 1, 11, 14)
    for y in (5, 7, 9):
        g.line(4, y, 9, y, GRAY)
    for d in (0, 1):
        g.line(8 + d, 8, 14 + d, 14, RED)
        g.line(14 + d, 8, 8 + d, 14, RED)


def reload(g):
    for y in range(S):
        for x in range(S):
            d = math.hypot(x - 7.5, y - 7.5)
            a = math.degrees(math.atan2(y - 7.5, x - 7.5)) % 360
            # A ring open at the upper right, its head pointing on round the circle.
            if 4.0 <= d < 6.5 and not (285 <= a < 345):
                g.px(x, y, BLUE)
    g.art(8, 0, ["#     ", "###   ", "##### ", "######", "##### ", "###   ", "#     "], {"#": BLUE})


def mail(g):
    g.box(0, 3, 15, 12, WHITE, DARK)
    g.line(1, 4, 7, 9, DARK)
    g.line(14, 4, 8, 9, DARK)
    g.line(1, 11, 5, 7, GRAY)
    g.line(14, 11, 10, 7, GRAY)

# Image indexes are positions in this list; the form's buttons refer to them.
GLYPHS = [settings, calculator, registry, find, monitor, dos, sysconfig, charmap, calendar, cd, game,
          alarm, help_, clipboard, view_large, view_small, view_list, view_report, up, copy, cut, paste,
          network, open_, save, new, back, extract, view, run, play, stop, info, create_archive,
          bookmarks, print_, font, undo, redo, syntax, coding]
# The HTML page's tool bar: open, back, forward, clear, reload, find, print, mail.
HTML_GLYPHS = [open_, arrow_left, arrow_right, clear, reload, find, print_, mail]


def write_bmp(path, pixels, width, height):
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixels[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_strip(name, glyphs):
    strip = [[KEY] * (S * len(glyphs)) for _ in range(S)]
    for i, draw in enumerate(glyphs):
        g = G()
        draw(g)
        for y in range(S):
            strip[y][i * S:(i + 1) * S] = g.p[y]
    write_bmp(os.path.join(os.path.dirname(os.path.abspath(__file__)), name), strip, S * len(glyphs), S)


def main():
    write_strip("main_glyphs.bmp", GLYPHS)
    write_strip("html_glyphs.bmp", HTML_GLYPHS)


if __name__ == "__main__":
    main()
