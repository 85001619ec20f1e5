#!/usr/bin/env python3
"""Draws the images of the Paper-2 skin into src/skin/paper-2/ and the two window icons into src/app/icons/.

Everything is computed here from a fixed seed, so running it again gives the same bytes;
the results are committed and compiled into the program, this script is not run by the build
(it needs only python3 and its standard library, on a developer's machine).
Only the standard library is used: the BMP and TGA files are written by hand.
"""
import math
import os
import random
import struct
import sys

SRC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
SKIN_OUT = os.path.join(SRC, "skin", "paper-2")
ICON_OUT = os.path.join(SRC, "app", "icons")

PAPER = (243, 234, 214)          # the sheet the windows are drawn on
PAPER_ACTIVE = (236, 219, 181)   # warmer: the active caption bar and lit-up controls
INK = (59, 47, 34)
RULE = (168, 141, 99)            # the brown of borders
SEAL = (150, 52, 34)             # the red of a seal stamp: check marks, the main icon's note
TILE = 128                       # the texture repeats every TILE pixels, so it must tile seamlessly
SUPER = 4                        # subsamples per axis for the anti-aliased drawings


def clamp(value):
    return max(0, min(255, int(round(value))))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


# ---------------------------------------------------------------- paper texture

def lattice_noise(rng, period):
    """Smooth value noise that wraps every TILE pixels: a random lattice of `period` cells, cosine-blended."""
    cells = TILE // period
    grid = [[rng.uniform(-1.0, 1.0) for _ in range(cells)] for _ in range(cells)]

    def at(x, y):
        gx, gy = x / period, y / period
        x0, y0 = int(gx) % cells, int(gy) % cells
        x1, y1 = (x0 + 1) % cells, (y0 + 1) % cells
        fx = (1 - math.cos((gx - int(gx)) * math.pi)) / 2
        fy = (1 - math.cos((gy - int(gy)) * math.pi)) / 2
        top = grid[y0][x0] * (1 - fx) + grid[y0][x1] * fx
        bottom = grid[y1][x0] * (1 - fx) + grid[y1][x1] * fx
        return top * (1 - fy) + bottom * fy

    return at


def paper_shading(seed):
    """Brightness offsets of one tile: cloudy pulp, fine grain and a few fibres, zero on average."""
    rng = random.Random(seed)
    octaves = [(lattice_noise(rng, p), a) for p, a in ((64, 3.0), (32, 2.2), (16, 1.5), (8, 1.0))]
    shade = [[sum(n(x, y) * a for n, a in octaves) + rng.uniform(-1.6, 1.6) for x in range(TILE)]
             for y in range(TILE)]
    for _ in range(26):
        x, y = rng.uniform(0, TILE), rng.uniform(0, TILE)
        angle = rng.uniform(0, math.pi)
        depth = rng.choice((-1, 1)) * rng.uniform(2.0, 4.5)
        for _ in range(rng.randint(8, 22)):
            angle += rng.uniform(-0.35, 0.35)
            x, y = x + math.cos(angle), y + math.sin(angle)
            shade[int(y) % TILE][int(x) % TILE] += depth
    mean = sum(map(sum, shade)) / (TILE * TILE)
    return [[v - mean for v in row] for row in shade]


def paper(base, shading):
    return [[tuple(clamp(c + v) for c in base) for v in row] for row in shading]


# ---------------------------------------------------------------- anti-aliased drawing

class Canvas:
    """An RGBA picture that shapes are painted onto with SUPER×SUPER coverage sampling."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.pixels = [[tuple(fill) for _ in range(width)] for _ in range(height)]

    def paint(self, inside, colour, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.width, int(math.ceil(x1)))):
                hits = sum(inside(x + (i + 0.5) / SUPER, y + (j + 0.5) / SUPER)
                           for i in range(SUPER) for j in range(SUPER))
                if hits:
                    self.blend(x, y, colour, hits / (SUPER * SUPER))

    def blend(self, x, y, colour, coverage):
        alpha = coverage * (colour[3] / 255 if len(colour) == 4 else 1.0)
        r, g, b, a = self.pixels[y][x]
        out_a = alpha + a / 255 * (1 - alpha)
        if out_a == 0:
            return
        rgb = [(colour[i] * alpha + (r, g, b)[i] * a / 255 * (1 - alpha)) / out_a for i in range(3)]
        self.pixels[y][x] = (clamp(rgb[0]), clamp(rgb[1]), clamp(rgb[2]), clamp(out_a * 255))


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: (r - width) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def stroke(points, width):
    """A polyline with round joins and caps."""
    segments = list(zip(points, points[1:]))

    def near(x, y, a, b):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy or 1)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (width / 2) ** 2

    return lambda x, y: any(near(x, y, a, b) for a, b in segments)


def polygon(points):
    def inside(x, y):
        result = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
        return result
    return inside


def ellipse(cx, cy, rx, ry, angle):
    c, s = math.cos(angle), math.sin(angle)

    def inside(x, y):
        u, v = (x - cx) * c + (y - cy) * s, -(x - cx) * s + (y - cy) * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1
    return inside


def star(cx, cy, outer, inner, points=5):
    corners = []
    for k in range(points * 2):
        r = outer if k % 2 == 0 else inner
        a = -math.pi / 2 + k * math.pi / points
        corners.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(corners)


# ---------------------------------------------------------------- check boxes and radio buttons

CELL = 26  # two device pixels per logical pixel of the 13-pixel indicator, so it stays sharp at 2×
STATES = (  # fill, border, mark colour: normal, highlighted (hovered), pressed, disabled
    ((255, 253, 246), RULE, SEAL),
    ((250, 238, 208), (122, 92, 58), SEAL),
    ((228, 208, 166), (107, 79, 46), (120, 40, 26)),
    ((241, 235, 222), (203, 187, 159), (184, 160, 140)),
)


def indicator_strip(rows, draw):
    canvas = Canvas(CELL * len(STATES), CELL * rows)
    for row in range(rows):
        for column, state in enumerate(STATES):
            draw(canvas, column * CELL, row * CELL, row, state)
    return canvas


def draw_checkbox(canvas, ox, oy, row, state):
    fill, border, mark = state
    box = (ox, oy, ox + CELL, oy + CELL)
    canvas.paint(rounded_rect(ox + 1, oy + 1, ox + 25, oy + 25, 4), border + (255,), box)
    canvas.paint(rounded_rect(ox + 3, oy + 3, ox + 23, oy + 23, 2.5), fill + (255,), box)
    if row == 1:
        canvas.paint(stroke([(ox + 7, oy + 13.5), (ox + 11.5, oy + 18.5), (ox + 19.5, oy + 7.5)], 3.4),
                     mark + (255,), box)
    elif row == 2:
        canvas.paint(rounded_rect(ox + 7, oy + 11.5, ox + 19, oy + 14.5, 1.5), mark + (255,), box)


def draw_radio(canvas, ox, oy, row, state):
    fill, border, mark = state
    box = (ox, oy, ox + CELL, oy + CELL)
    canvas.paint(circle(ox + 13, oy + 13, 12), border + (255,), box)
    canvas.paint(circle(ox + 13, oy + 13, 10), fill + (255,), box)
    if row == 1:
        canvas.paint(circle(ox + 13, oy + 13, 5), mark + (255,), box)


# ---------------------------------------------------------------- icons

def tile_background(canvas, top, bottom):
    for y in range(canvas.height):
        colour = mix(top, bottom, y / (canvas.height - 1))
        for x in range(canvas.width):
            canvas.pixels[y][x] = tuple(clamp(c) for c in colour) + (255,)


def main_icon():
    """A lyric sheet with a red note on it, on a walnut tile."""
    icon = Canvas(32, 32)
    tile_background(icon, (126, 84, 48), (84, 52, 28))
    sheet = [(6, 3), (21, 3), (27, 9), (27, 29), (6, 29)]
    icon.paint(polygon([(x + 1, y + 1) for x, y in sheet]), (40, 24, 12, 120))
    icon.paint(polygon(sheet), PAPER + (255,))
    icon.paint(polygon([(21, 3), (21, 9), (27, 9)]), (214, 196, 160, 255))
    for y in (8, 12, 16):
        icon.paint(stroke([(9, y), (18 if y == 8 else 24, y)], 1.3), (150, 126, 92, 255))
    icon.paint(ellipse(12.5, 24, 3.3, 2.4, -0.45), SEAL + (255,))
    icon.paint(ellipse(21.5, 22, 3.3, 2.4, -0.45), SEAL + (255,))
    icon.paint(polygon([(14.6, 23.5), (15.8, 23.5), (15.8, 15.5), (14.6, 15.5)]), SEAL + (255,))
    icon.paint(polygon([(23.6, 21.5), (24.8, 21.5), (24.8, 13.5), (23.6, 13.5)]), SEAL + (255,))
    icon.paint(polygon([(14.6, 15.5), (24.8, 13.5), (24.8, 16.2), (14.6, 18.2)]), SEAL + (255,))
    return icon


def about_icon():
    """A paper boat under a star on a night-blue tile: the maker's mark."""
    icon = Canvas(32, 32)
    tile_background(icon, (34, 52, 88), (20, 30, 54))
    icon.paint(star(16, 8.5, 5.8, 2.4), (246, 204, 92, 255))
    icon.paint(polygon([(4, 19), (28, 19), (23, 26), (9, 26)]), PAPER + (255,))
    icon.paint(polygon([(16, 11.5), (16, 19), (9, 19)]), (236, 219, 181, 255))
    icon.paint(polygon([(16, 11.5), (23, 19), (16, 19)]), PAPER + (255,))
    icon.paint(stroke([(4, 19), (28, 19)], 1.0), RULE + (255,))
    icon.paint(stroke([(2, 28.5), (7, 27), (12, 28.5), (17, 27), (22, 28.5), (27, 27), (31, 28.5)], 1.4),
               (120, 150, 196, 255))
    return icon


# ---------------------------------------------------------------- file formats

def write_bmp(path, rows):
    """24 bits per pixel, bottom-up, rows padded to four bytes."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for pixel in row:
            line += bytes((pixel[2], pixel[1], pixel[0]))
        body += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + body)


def write_tga(path, canvas):
    """Uncompressed true colour with an alpha channel, first row at the bottom, TGA 2.0 footer."""
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, canvas.width, canvas.height, 32, 8)
    body = bytearray()
    for row in reversed(canvas.pixels):
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    footer = struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\0"
    with open(path, "wb") as out:
        out.write(header + body + footer)


def main():
    os.makedirs(SKIN_OUT, exist_ok=True)
    os.makedirs(ICON_OUT, exist_ok=True)
    shading = paper_shading(seed=2)
    write_bmp(os.path.join(SKIN_OUT, "paper.bmp"), paper(PAPER, shading))
    write_bmp(os.path.join(SKIN_OUT, "paper-active.bmp"), paper(PAPER_ACTIVE, shading))
    write_tga(os.path.join(SKIN_OUT, "checkboxes.tga"), indicator_strip(3, draw_checkbox))
    write_tga(os.path.join(SKIN_OUT, "radiobuttons.tga"), indicator_strip(2, draw_radio))
    write_bmp(os.path.join(ICON_OUT, "icon-main.bmp"), main_icon().pixels)
    write_bmp(os.path.join(ICON_OUT, "icon-about.bmp"), about_icon().pixels)
    return 0


if __name__ == "__main__":
    sys.exit(main())
