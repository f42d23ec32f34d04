#!/usr/bin/env python3
"""Draws Kelvorin's icons, tool bar strip and link cursor.

Every picture is built from a few primitives on a pixel grid, so the 16x16
images stay crisp; only the 32 and 48 pixel program icon is drawn with
anti-aliased shapes.  The files are written directly in the Windows formats
(ICO, CUR, BMP), using nothing beyond the Python standard library:

  main.ico            program icon, 16/32/48, 32-bit with alpha plus 8-bit
  small.ico           small window and tray icon, 16/32
  group_*.ico         pictures of the group list in the program dialog, 16
  sort_desc.ico       column header marker, descending, 16
  sort_asc.ico        column header marker, ascending, 16
  toolbar.bmp         16 tool bar images of 16x16 in one 256x16 strip
  hand.cur            pointing hand over the about box links, 32, hot spot (12, 7)

Usage: make-art.py OUTPUT_DIR
"""

import math
import os
import struct
import sys

# --------------------------------------------------------------------------
# Colours

PAL = {
    'K': (0, 0, 0),          # outline black
    'k': (64, 64, 64),       # dark grey outline
    'g': (128, 128, 128),    # grey
    'L': (168, 168, 168),    # light grey (kept off the tool bar's 192 grey)
    'l': (224, 224, 224),    # very light grey
    'W': (255, 255, 255),    # white
    'n': (0, 0, 128),        # navy: title bars
    'B': (0, 72, 200),       # blue
    'b': (64, 144, 240),     # light blue
    'c': (176, 216, 255),    # pale blue, glass
    'G': (0, 168, 0),        # green
    'h': (0, 96, 0),         # dark green
    'j': (112, 216, 112),    # light green
    'R': (224, 24, 24),      # red
    'r': (136, 0, 0),        # dark red
    'p': (255, 136, 136),    # light red
    'Y': (248, 200, 56),     # folder yellow
    'y': (255, 236, 150),    # folder highlight
    'O': (216, 152, 24),     # folder shade
    'o': (140, 92, 0),       # folder outline
    'S': (255, 204, 0),      # star gold
    's': (255, 240, 140),    # star highlight
    'u': (176, 112, 0),      # star outline
    'e': (240, 200, 150),    # bare wood
    'P': (255, 168, 24),     # pencil paint
    'q': (200, 120, 0),      # pencil paint, shaded side
    'm': (255, 176, 196),    # eraser
}

TOOLBAR_FACE = (192, 192, 192)   # the tool bar turns this colour transparent


def rgba(c):
    return c if len(c) == 4 else (c[0], c[1], c[2], 255)


def col(c):
    return PAL[c] if isinstance(c, str) else c


# --------------------------------------------------------------------------
# Pixel canvas

class Img:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.p = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.p[y][x] = rgba(col(c))

    def get(self, x, y):
        return self.p[y][x]

    def opaque(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h and self.p[y][x][3] >= 128

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def blob(self, inside, fill, edge=None):
        """Fills every pixel whose centre satisfies inside(x, y); pixels of
        the shape that touch the outside (4-neighbourhood) get the edge
        colour.  fill may be a function of the pixel position."""
        mask = {(x, y) for y in range(self.h) for x in range(self.w)
                if inside(x + 0.5, y + 0.5)}
        for (x, y) in mask:
            border = any((x + dx, y + dy) not in mask
                         for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if border and edge is not None:
                self.put(x, y, edge)
            else:
                self.put(x, y, fill(x, y) if callable(fill) else fill)
        return mask

    def sprite(self, rows, x0, y0):
        for y, row in enumerate(rows):
            for x, ch in enumerate(row):
                if ch != '.':
                    self.put(x0 + x, y0 + y, ch)

    def paste(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                c = other.p[y][x]
                if c[3]:
                    self.put(x0 + x, y0 + y, c)

    def scaled(self, k):
        out = Img(self.w * k, self.h * k)
        for y in range(out.h):
            for x in range(out.w):
                out.p[y][x] = self.p[y // k][x // k]
        return out


# --------------------------------------------------------------------------
# Shape tests

def in_poly(pts, x, y):
    inside = False
    n = len(pts)
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                inside = not inside
    return inside


def seg_dist(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = ((px - ax) * vx + (py - ay) * vy) / float(vx * vx + vy * vy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - ax - t * vx, py - ay - t * vy)


# --------------------------------------------------------------------------
# Small motifs on the 16 pixel grid

def window(img, x0, y0, x1, y1, title=2):
    """A program window: frame, navy title bar, white client area."""
    img.rect(x0, y0, x1, y1, 'W')
    img.frame(x0, y0, x1, y1, 'k')
    img.rect(x0 + 1, y0 + 1, x1 - 1, y0 + title, 'n')
    if x1 - x0 >= 8:
        img.put(x1 - 2, y0 + 1, 'W')          # close box
        if title > 1:
            img.put(x1 - 2, y0 + 2, 'l')


def document(img, x0, y0, x1, y1, fold=3, lines=True, line_colour='g'):
    """A sheet of paper with its top right corner folded over."""
    cut = x1 - fold
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if x - cut > y - y0:
                continue
            img.put(x, y, 'W')
    for x in range(x0, cut + 1):
        img.put(x, y0, 'k')
    for x in range(x0, x1 + 1):
        img.put(x, y1, 'k')
    for y in range(y0, y1 + 1):
        img.put(x0, y, 'k')
    for y in range(y0 + fold, y1 + 1):
        img.put(x1, y, 'k')
    for i in range(fold + 1):
        img.put(cut + i, y0 + i, 'k')
    # the folded flap
    for y in range(y0 + 1, y0 + fold):
        for x in range(cut, cut + (y - y0)):
            img.put(x, y, 'l')
    for i in range(fold + 1):
        img.put(cut, y0 + i, 'k')
        img.put(cut + i, y0 + fold, 'k')
    if lines:
        for y in range(y0 + fold + 2, y1 - 1, 2):
            right = x1 - 2 if (y - y0) % 4 else x1 - 4
            img.rect(x0 + 2, y, right, y, line_colour)


def folder(img, x0, y0, x1, y1, tab=5):
    """A closed yellow folder: tab at the top left, body below it."""
    # tab
    img.rect(x0 + 1, y0, x0 + tab, y0, 'o')
    img.rect(x0 + 1, y0 + 1, x0 + tab, y0 + 1, 'y')
    img.put(x0, y0 + 1, 'o')
    img.put(x0 + tab + 1, y0 + 1, 'o')
    # body
    img.rect(x0, y0 + 2, x1, y1, 'Y')
    img.frame(x0, y0 + 2, x1, y1, 'o')
    img.rect(x0 + tab + 2, y0 + 2, x1 - 1, y0 + 2, 'o')
    img.rect(x0 + 1, y0 + 2, x0 + tab + 1, y0 + 2, 'y')
    img.rect(x0 + 1, y0 + 3, x1 - 1, y0 + 3, 'y')
    img.rect(x0 + 1, y0 + 3, x0 + 1, y1 - 1, 'y')
    img.rect(x0 + 2, y1 - 1, x1 - 1, y1 - 1, 'O')
    img.rect(x1 - 1, y0 + 4, x1 - 1, y1 - 1, 'O')


def open_folder(img, x0, y0, x1, y1, tab=5):
    """A folder opened towards the viewer: back panel and tilted front."""
    img.rect(x0 + 1, y0, x0 + tab, y0, 'o')
    img.put(x0, y0 + 1, 'o')
    img.rect(x0 + 1, y0 + 1, x0 + tab, y0 + 1, 'O')
    img.put(x0 + tab + 1, y0 + 1, 'o')
    img.rect(x0, y0 + 2, x1 - 3, y1, 'O')
    img.frame(x0, y0 + 2, x1 - 3, y1, 'o')
    img.rect(x0 + 1, y0 + 2, x0 + tab + 1, y0 + 2, 'O')
    # front panel: a parallelogram leaning right at the top
    top = y0 + 5
    slant = 3
    pts = [(x0 + slant + 0.0, top), (x1 + 1.0, top),
           (x1 + 1.0 - slant, y1 + 1.0), (x0 + 0.0, y1 + 1.0)]
    img.blob(lambda x, y: in_poly(pts, x, y),
             lambda x, y: 'y' if y <= top + 1 else 'Y', 'o')


def cube(img, x0, y0, f=5, d=2):
    """A small blue cube in oblique view: front face f by f pixels, depth d."""
    fx0, fy0 = x0, y0 + d
    fx1, fy1 = x0 + f - 1, y0 + d + f - 1
    # top face
    for i in range(d):
        y = y0 + i
        xs = x0 + d - i
        img.rect(xs, y, xs + f - 1, y, 'c')
    # side face
    for i in range(d):
        x = fx1 + 1 + i
        img.rect(x, fy0 - i, x, fy1 - 1 - i, 'B')
    img.rect(fx0, fy0, fx1, fy1, 'b')
    # outlines
    img.frame(fx0, fy0, fx1, fy1, 'n')
    for x in range(x0 + d, x0 + d + f):
        img.put(x, y0, 'n')
    for i in range(d + 1):
        img.put(fx0 + d - i, y0 + i, 'n')       # top left edge
        img.put(fx1 + d - i, y0 + i, 'n')       # top right edge
        img.put(fx1 + d - i, fy1 - d + i, 'n')  # bottom right edge
    for y in range(y0, fy1 - d + 1):
        img.put(fx1 + d, y, 'n')                # back right edge
    img.put(fx0 + 1, fy0 + 1, 'c')              # glint


def registry_cubes(img, x0=0, y0=0):
    cube(img, x0 + 4, y0 + 0, 6, 2)
    cube(img, x0 + 0, y0 + 7, 6, 2)
    cube(img, x0 + 7, y0 + 7, 6, 2)


GEAR = [
    "....##....",
    ".##.##.##.",
    ".########.",
    "..######..",
    "####..####",
    "####..####",
    "..######..",
    ".########.",
    ".##.##.##.",
    "....##....",
]

SMALL_STAR = [
    "....#....",
    "....#....",
    "...###...",
    "#########",
    ".#######.",
    "..#####..",
    "..#####..",
    ".###.###.",
    ".##...##.",
]


def mask_shape(rows, x0, y0):
    """A shape test for a pixel mask drawn with '#' characters."""
    def inside(x, y):
        i, j = int(math.floor(y)) - y0, int(math.floor(x)) - x0
        return 0 <= i < len(rows) and 0 <= j < len(rows[i]) and rows[i][j] == '#'
    return inside


def gear(img, x0, y0):
    """A 10x10 dark grey gear, lit at its top left edges.  Where it covers
    something, a one pixel white gap keeps it apart from what lies behind."""
    inside = mask_shape(GEAR, x0, y0)
    for y in range(img.h):
        for x in range(img.w):
            if img.opaque(x, y) and not inside(x + 0.5, y + 0.5) and any(
                    inside(x + 0.5 + dx, y + 0.5 + dy)
                    for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                img.put(x, y, 'W')

    def shade(x, y):
        if not inside(x - 0.5, y + 0.5) or not inside(x + 0.5, y - 0.5):
            return 'g'
        return 'k'
    img.blob(inside, shade)


def lens(img, cx, cy, r, handle_to, glass='c', rim='K', handle='K'):
    """A magnifying glass: ring of radius r around (cx, cy), tinted glass,
    handle reaching to handle_to."""
    hx, hy = handle_to
    ang = math.atan2(hy - cy, hx - cx)
    sx, sy = cx + (r - 0.5) * math.cos(ang), cy + (r - 0.5) * math.sin(ang)
    img.blob(lambda x, y: seg_dist(x, y, sx, sy, hx, hy) <= 1.25, handle)

    def glass_colour(x, y):
        under = img.get(x, y)
        g = PAL[glass]
        if under[3] < 128:
            return g
        return tuple((a + b) // 2 for a, b in zip(under[:3], g))
    img.blob(lambda x, y: math.hypot(x - cx, y - cy) <= r, glass_colour, rim)


# --------------------------------------------------------------------------
# 16x16 pictures

def pic_small_program():
    """Window under a magnifying glass, 16x16."""
    img = Img(16, 16)
    window(img, 0, 1, 11, 11, title=2)
    for y in (5, 7, 9):
        img.rect(2, y, 3, y, 'B')
        img.rect(5, y, 9, y, 'g')
    lens(img, 10.0, 10.0, 4.0, (15.2, 15.2))
    img.put(8, 8, 'W')
    img.put(9, 8, 'W')
    img.put(8, 9, 'W')
    return img


def pic_add():
    img = Img(16, 16)
    window(img, 0, 1, 12, 12, title=2)
    img.sprite([
        "..hhhh..",
        "..hjGh..",
        "hhhjGhhh",
        "hjjjGGGh",
        "hGGGGGGh",
        "hhhGGhhh",
        "..hGGh..",
        "..hhhh..",
    ], 8, 8)
    return img


def pic_delete():
    img = Img(16, 16)
    a, b = 3.0, 13.0
    img.blob(lambda x, y: min(seg_dist(x, y, a, a, b, b), seg_dist(x, y, a, b, b, a)) <= 1.9,
             'R', 'r')
    return img


def pic_pencil():
    """A pencil lying from bottom left (point) to top right (eraser)."""
    img = Img(16, 16)
    for y in range(16):
        for x in range(16):
            d = x + y - 15          # across the pencil
            t = x - y               # along it: -13 at the point, +13 at the end
            if abs(d) > 2:
                continue
            if t < -12 or t > 12:
                continue
            if t <= -11:                                    # graphite point
                if abs(d) <= 0:
                    img.put(x, y, 'K')
            elif t <= -7:                                   # sharpened wood
                w = (t + 12) // 2
                if abs(d) < w + 1:
                    img.put(x, y, 'k' if abs(d) == w else 'e')
                if t <= -10 and d == 0:
                    img.put(x, y, 'K')
            elif t <= 5:                                    # painted body
                if abs(d) == 2:
                    img.put(x, y, 'k')
                else:
                    img.put(x, y, {-1: 'y', 0: 'P', 1: 'q'}[d])
            elif t <= 7:                                    # metal band
                img.put(x, y, 'k' if abs(d) == 2 else ('l' if d < 1 else 'L'))
            else:                                           # eraser
                if abs(d) == 2 or t == 12:
                    img.put(x, y, 'k')
                else:
                    img.put(x, y, 'm')
    return img


def pic_check():
    """A list under a magnifying glass: look for changes."""
    img = Img(16, 16)
    document(img, 1, 0, 11, 13, fold=3, lines=False)
    for y in (5, 7, 9, 11):
        img.rect(3, y, 4, y, 'G' if y != 9 else 'R')
        img.rect(6, y, 9, y, 'g')
    lens(img, 10.0, 9.5, 3.6, (15.2, 15.2))
    img.put(9, 8, 'W')
    return img


REFRESH_ARROW = [      # the upper of the two arrows; the lower is it turned half round
    "................",
    ".....######.....",
    "...##########...",
    "..###......###..",
    "..##........##..",
    "..##......######",
    "...........####.",
    "............##..",
]


def pic_refresh():
    """Two green arrows chasing each other round a circle."""
    img = Img(16, 16)
    upper = mask_shape(REFRESH_ARROW, 0, 0)

    def shape(x, y):
        return upper(x, y) or upper(16 - x, 16 - y)

    def shade(x, y):
        return 'h' if not shape(x + 0.5, y + 1.5) else 'G'
    img.blob(shape, shade)
    return img


def pic_run():
    img = Img(16, 16)
    pts = [(3.5, 1.5), (3.5, 14.5), (14.0, 8.0)]
    img.blob(lambda x, y: in_poly(pts, x, y),
             lambda x, y: 'j' if (x == 4 and y < 9) else 'G', 'h')
    return img


def pic_stop():
    img = Img(16, 16)
    img.rect(3, 3, 12, 12, 'R')
    img.frame(3, 3, 12, 12, 'r')
    img.rect(4, 4, 11, 4, 'p')
    img.rect(4, 4, 4, 11, 'p')
    return img


def pic_open_folder():
    img = Img(16, 16)
    open_folder(img, 0, 2, 15, 13)
    return img


def pic_startup_folder():
    img = Img(16, 16)
    folder(img, 0, 3, 13, 14)
    img.blob(mask_shape(SMALL_STAR, 7, 0), 'S', 'u')
    return img


def pic_registry():
    img = Img(16, 16)
    registry_cubes(img, 1, 1)
    return img


def pic_winini():
    img = Img(16, 16)
    document(img, 0, 0, 11, 15, fold=3)
    gear(img, 6, 6)
    return img


def pic_print():
    img = Img(16, 16)
    # paper going in
    img.rect(4, 0, 11, 6, 'W')
    img.frame(4, 0, 11, 6, 'k')
    img.rect(6, 2, 9, 2, 'g')
    img.rect(6, 4, 9, 4, 'g')
    # printer body
    img.rect(0, 6, 15, 12, 'L')
    img.frame(0, 6, 15, 12, 'k')
    img.rect(1, 7, 14, 7, 'l')
    img.rect(1, 8, 14, 8, 'l')
    img.put(13, 8, 'G')
    img.rect(1, 11, 14, 11, 'g')
    # paper coming out
    img.rect(3, 10, 12, 15, 'W')
    img.frame(3, 10, 12, 15, 'k')
    img.rect(5, 12, 10, 12, 'g')
    img.rect(5, 14, 8, 14, 'g')
    img.rect(1, 10, 2, 10, 'k')
    img.rect(13, 10, 14, 10, 'k')
    return img


BIG_STAR = [
    ".......#.......",
    "......###......",
    "......###......",
    ".....#####.....",
    ".....#####.....",
    "###############",
    ".#############.",
    "..###########..",
    "...#########...",
    "....#######....",
    "...#########...",
    "...####.####...",
    "..####...####..",
    "..###.....###..",
    ".###.......###.",
    ".#...........#.",
]


def pic_group_star():
    img = Img(16, 16)
    img.blob(mask_shape(BIG_STAR, 0, 0),
             lambda x, y: 's' if (x < 7 and y < 9) or (x == 7 and y < 5) else 'S', 'u')
    return img


def pic_group_startup():
    img = Img(16, 16)
    folder(img, 0, 3, 15, 14)
    window(img, 4, 6, 13, 12, title=1)
    return img


def pic_group_folder():
    img = Img(16, 16)
    folder(img, 0, 2, 15, 13)
    return img


def pic_sort(up):
    img = Img(16, 16)
    rows = 5
    for i in range(rows):
        half = rows - 1 - i      # widest row first (pointing down)
        y = 5 + (rows - 1 - i if up else i)
        img.rect(7 - half, y, 7 + half, y, (96, 96, 96))
    return img


# --------------------------------------------------------------------------
# Anti-aliased program icon (32 and 48 pixels)

def render(size, layers, ss=4):
    """Draws layers (functions from a point to an RGBA colour with 0..1
    alpha, or None) with ss*ss samples per pixel."""
    img = Img(size, size)
    n = ss * ss
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    x = px + (sx + 0.5) / ss
                    y = py + (sy + 0.5) / ss
                    r = g = b = a = 0.0
                    for layer in layers:
                        c = layer(x, y)
                        if c is None:
                            continue
                        ca = c[3]
                        r = c[0] * ca + r * (1 - ca)
                        g = c[1] * ca + g * (1 - ca)
                        b = c[2] * ca + b * (1 - ca)
                        a = ca + a * (1 - ca)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            a = acc[3] / n
            if a <= 0.002:
                img.p[py][px] = (0, 0, 0, 0)
            else:
                img.p[py][px] = (int(round(acc[0] / n / a)), int(round(acc[1] / n / a)),
                                 int(round(acc[2] / n / a)), int(round(a * 255)))
    return img


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def pic_program(size):
    """The program icon: a window with a list of programs, and a magnifying
    glass over its lower right part."""
    u = size / 32.0

    def px(v):
        return round(v * u)

    # window, in whole pixels so the edges stay sharp
    wx0, wy0, wx1, wy1 = px(1), px(2), px(25), px(23)
    tb = wy0 + max(4, px(5))                 # bottom of the title bar

    def win(x, y):
        if not (wx0 <= x < wx1 and wy0 <= y < wy1):
            return None
        if x < wx0 + 1 or x >= wx1 - 1 or y < wy0 + 1 or y >= wy1 - 1:
            return (48, 48, 56, 1.0)
        if y < tb:
            t = (x - wx0) / float(wx1 - wx0)
            c = mix((10, 36, 140), (80, 150, 235), t)
            # close box at the right of the title bar
            bx1 = wx1 - 2
            bs = tb - wy0 - 3
            if bx1 - bs <= x < bx1 and wy0 + 2 <= y < wy0 + 2 + bs:
                return (236, 236, 236, 1.0)
            return c + (1.0,)
        if y < tb + 1:
            return (48, 48, 56, 1.0)
        # client area: rows of a list, each with a small coloured picture
        cy = y - (tb + 1)
        row_h = max(3, px(4))
        colours = [(0, 150, 0), (220, 40, 30), (40, 110, 230), (230, 170, 0), (140, 60, 200)]
        row = int(cy // row_h)
        in_row = cy - row * row_h
        lx = x - (wx0 + 1)
        last_row = (wy1 - 1 - (tb + 1) - 1 - max(2, px(2))) // row_h
        if row <= last_row and 1 <= in_row < 1 + max(2, px(2)):
            pic = max(2, px(2))
            if px(1) <= lx < px(1) + pic:
                return colours[row % len(colours)] + (1.0,)
            text_end = wx1 - wx0 - px(3) - (row % 3) * px(3)
            if px(1) + pic + px(1) <= lx < text_end:
                return (150, 150, 160, 1.0)
        return (255, 255, 255, 1.0)

    # magnifying glass
    cx, cy = 20.0 * u, 19.0 * u
    r_out, r_in = 8.6 * u, 6.7 * u
    hx0, hy0 = cx + 7.2 * u, cy + 7.2 * u
    hx1, hy1 = 30.2 * u, 30.2 * u
    hw = 2.0 * u

    def shadow(x, y):
        d = math.hypot(x - cx - 1.2 * u, y - cy - 1.5 * u)
        if d < r_out:
            return (0, 0, 0, 0.22)
        if seg_dist(x, y, hx0 + u, hy0 + 1.5 * u, hx1 + u, hy1 + 1.2 * u) < hw:
            return (0, 0, 0, 0.22)
        return None

    def handle(x, y):
        d = seg_dist(x, y, hx0, hy0, hx1, hy1)
        if d > hw:
            return None
        # lighter along the upper side of the handle
        nx, ny = 0.7071, -0.7071
        side = ((x - hx0) * nx + (y - hy0) * ny) / hw
        c = mix((25, 20, 15), (120, 90, 60), side * 0.5 + 0.5)
        return c + (1.0,)

    def collar(x, y):
        cx0, cy0 = cx + r_out * 0.62, cy + r_out * 0.62
        if seg_dist(x, y, cx0, cy0, cx0 + 2.6 * u, cy0 + 2.6 * u) <= 1.6 * u:
            return (110, 110, 120, 1.0)
        return None

    def glass(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > r_in:
            return None
        # white gleam in the upper left part of the glass
        g = math.hypot(x - (cx - 2.6 * u), y - (cy - 2.6 * u))
        if g < 2.1 * u and x + y < cx + cy - 2.5 * u:
            return (255, 255, 255, 0.85)
        return (150, 200, 255, 0.40)

    def rim(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r_in <= d <= r_out):
            return None
        # metallic: light at the top left, dark at the bottom right
        t = ((x - cx) + (y - cy)) / (2 * r_out) * 0.9 + 0.5
        c = mix((200, 204, 214), (40, 44, 56), t)
        if d < r_in + 0.55 or d > r_out - 0.55:
            c = mix(c, (20, 20, 28), 0.6)
        return c + (1.0,)

    return render(size, [win, shadow, handle, collar, glass, rim])


# --------------------------------------------------------------------------
# Hand cursor, 32x32, black and white

HAND_HOTSPOT = (12, 7)


def pic_hand():
    img = Img(32, 32)

    def finger(x0, x1, top, bottom):
        rr = (x1 - x0) / 2.0
        mx = (x0 + x1) / 2.0
        return lambda x, y: x0 <= x < x1 and top + rr <= y < bottom or \
            (y < top + rr and y >= top and math.hypot(x - mx, y - (top + rr)) <= rr)

    index = finger(10, 15, 7, 22)
    middle = finger(14, 19, 12, 22)
    ring = finger(18, 23, 13, 22)
    little = finger(22, 26, 15, 22)

    def palm(x, y):
        if 10 <= x < 26 and 18 <= y < 27:
            return True
        if 11 <= x < 25 and 27 <= y < 30:
            return True
        return False

    def thumb(x, y):
        return seg_dist(x, y, 5.8, 17.5, 11.5, 24.5) <= 2.6

    shape = lambda x, y: (index(x, y) or middle(x, y) or ring(x, y)
                          or little(x, y) or palm(x, y) or thumb(x, y))
    img.blob(shape, 'W', 'K')
    # gaps between the fingers
    for x, top, bottom in ((14, 12, 18), (18, 13, 18), (22, 15, 19)):
        img.rect(x, top, x, bottom, 'K')
    return img


# --------------------------------------------------------------------------
# File writers

def dib_rows_bottom_up(h):
    return range(h - 1, -1, -1)


def and_mask(img):
    stride = ((img.w + 31) // 32) * 4
    out = bytearray()
    for y in dib_rows_bottom_up(img.h):
        row = bytearray(stride)
        for x in range(img.w):
            if img.p[y][x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def dib_header(w, h, bpp, image_bytes, colours=0):
    return struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, bpp, 0, image_bytes, 0, 0, colours, 0)


def entry_32(img):
    """A 32-bit icon image: BGRA colour with alpha plus the 1-bit mask for
    systems that ignore the alpha channel.  Fully transparent pixels are
    black so the mask alone draws them correctly."""
    xor = bytearray()
    for y in dib_rows_bottom_up(img.h):
        for x in range(img.w):
            r, g, b, a = img.p[y][x]
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    mask = and_mask(img)
    return dib_header(img.w, img.h, 32, len(xor) + len(mask)) + bytes(xor) + mask, 32, 0


def quantize(colours, limit):
    """Median cut: reduces a list of (colour, count) to at most limit colours."""
    boxes = [colours]
    while len(boxes) < limit:
        best, best_range, best_ch = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[0][ch] for c in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_ch = i, rng, ch
        if best is None or best_range <= 0:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[0][best_ch])
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for j, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][ch] * c[1] for c in box) / total))
                             for ch in range(3)))
    return palette


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))


def entry_8(img):
    """A 256-colour icon image with a 1-bit mask, for displays without true
    colour.  Index 0 is black and is used under the transparent pixels."""
    counts = {}
    for row in img.p:
        for (r, g, b, a) in row:
            if a >= 128:
                counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    if len(counts) <= 255:
        palette = sorted(counts)
    else:
        palette = quantize(sorted(counts.items()), 255)
    palette = [(0, 0, 0)] + palette
    lookup = {}
    stride = (img.w + 3) // 4 * 4
    xor = bytearray()
    for y in dib_rows_bottom_up(img.h):
        row = bytearray(stride)
        for x in range(img.w):
            r, g, b, a = img.p[y][x]
            if a >= 128:
                key = (r, g, b)
                if key not in lookup:
                    lookup[key] = 1 + nearest(palette[1:], key)
                row[x] = lookup[key]
        xor += row
    table = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    table += bytes(4 * (256 - len(palette)))
    mask = and_mask(img)
    body = table + bytes(xor) + mask
    return dib_header(img.w, img.h, 8, len(xor) + len(mask)) + body, 8, 0


def entry_1(img):
    """A black and white image (for the cursor): white where the picture is
    light, black where it is dark, the mask elsewhere."""
    stride = ((img.w + 31) // 32) * 4
    xor = bytearray()
    for y in dib_rows_bottom_up(img.h):
        row = bytearray(stride)
        for x in range(img.w):
            r, g, b, a = img.p[y][x]
            if a >= 128 and r + g + b >= 384:
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    mask = and_mask(img)
    table = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return dib_header(img.w, img.h, 1, len(xor) + len(mask)) + table + bytes(xor) + mask, 1, 2


def write_icon_file(path, images, kind=1, hotspot=(0, 0)):
    """images: list of (Img, encoder).  kind 1 writes an icon, kind 2 a
    cursor whose directory entries carry the hot spot."""
    blobs = []
    for img, enc in images:
        data, bpp, ncol = enc(img)
        blobs.append((img.w, img.h, data, bpp, ncol))
    out = bytearray(struct.pack('<HHH', 0, kind, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for w, h, data, bpp, ncol in blobs:
        if kind == 2:
            planes, bits = hotspot
        else:
            planes, bits = 1, bpp
        out += struct.pack('<BBBBHHII', w & 255, h & 255, ncol, 0, planes, bits, len(data), offset)
        offset += len(data)
    for _, _, data, _, _ in blobs:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def write_toolbar(path, strip):
    """Writes the strip as an 8-bit bitmap with a colour table.  The tool
    bar maps the table entries black, 128 grey, 192 grey and white to the
    current button colours and then treats the button face colour as
    transparent; only a colour table allows that mapping, which is why the
    strip is not stored as a true-colour bitmap.  Picture colours are kept
    one step off those four values, so only the background follows the
    system colours."""
    remapped = {(0, 0, 0): (1, 1, 1), (128, 128, 128): (127, 127, 127),
                (192, 192, 192): (191, 191, 191), (255, 255, 255): (254, 254, 254)}
    pix = []
    for row in strip.p:
        out = []
        for (r, g, b, a) in row:
            if a < 128:
                out.append(TOOLBAR_FACE)
            else:
                out.append(remapped.get((r, g, b), (r, g, b)))
        pix.append(out)
    palette = [TOOLBAR_FACE] + sorted({c for row in pix for c in row} - {TOOLBAR_FACE})
    if len(palette) > 256:
        raise SystemExit('toolbar: too many colours (%d)' % len(palette))
    index = {c: i for i, c in enumerate(palette)}
    w, h = strip.w, strip.h
    stride = (w + 3) // 4 * 4
    bits = bytearray()
    for y in dib_rows_bottom_up(h):
        row = bytearray(stride)
        for x in range(w):
            row[x] = index[pix[y][x]]
        bits += row
    table = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, len(bits), 2835, 2835,
                       len(palette), 0)
    offset = 14 + len(info) + len(table)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(head + info + table + bytes(bits))


# --------------------------------------------------------------------------

def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    out = sys.argv[1]

    def path(name):
        return os.path.join(out, name)

    small16 = pic_small_program()
    small32 = small16.scaled(2)       # shrinks back to exactly the 16 pixel picture
    prog32 = pic_program(32)
    prog48 = pic_program(48)
    write_icon_file(path('main.ico'), [
        (prog48, entry_32), (prog32, entry_32), (small16, entry_32),
        (prog48, entry_8), (prog32, entry_8), (small16, entry_8)])
    write_icon_file(path('small.ico'), [
        (small16, entry_32), (small32, entry_32),
        (small16, entry_8), (small32, entry_8)])

    singles = {
        'group_registry.ico': pic_registry(),
        'group_all.ico': pic_group_star(),
        'group_startup.ico': pic_group_startup(),
        'group_winini.ico': pic_winini(),
        'group_folder.ico': pic_group_folder(),
        'sort_desc.ico': pic_sort(up=False),
        'sort_asc.ico': pic_sort(up=True),
    }
    for name, img in singles.items():
        write_icon_file(path(name), [(img, entry_32), (img, entry_8)])

    tools = [pic_add(), pic_delete(), pic_pencil(), None,
             pic_check(), pic_refresh(), None,
             pic_run(), pic_stop(), pic_open_folder(), None,
             pic_startup_folder(), pic_registry(), pic_winini(), None,
             pic_print()]
    strip = Img(16 * len(tools), 16)
    for i, t in enumerate(tools):
        if t is not None:
            strip.paste(t, 16 * i, 0)
    write_toolbar(path('toolbar.bmp'), strip)

    write_icon_file(path('hand.cur'), [(pic_hand(), entry_1)], kind=2, hotspot=HAND_HOTSPOT)


if __name__ == '__main__':
    main()
