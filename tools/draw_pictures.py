#!/usr/bin/env python3
"""Draws Tunewhistle's pictures: the pad strips, the program icon and a preview.

Everything is drawn from vector shapes at its own pixel size and antialiased by
supersampling, so the output is the same bytes on every run.  Run from anywhere:

    tools/draw_pictures.py            # writes the strips, the icon, the preview
    tools/draw_pictures.py --no-preview

Pad strips (src/views/win32/res/pads_<S>.bmp, S = 18, 27, 36): 32-bpp BI_RGB
bottom-up BMPs with premultiplied BGRA, 20 pictures of S x S side by side.
Picture k = 5 * state + column sits at x = (k - 1) * S; state 0 disabled,
1 normal, 2 hot, 3 pressed; column 1 previous, 2 play, 3 stop, 4 next, 5 pause.
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES_DIR = os.path.join(ROOT, "src", "views", "win32", "res")
ICON_PATH = os.path.join(ROOT, "src", "views", "win32", "tunewhistle.ico")
PREVIEW_PATH = os.path.join(ROOT, "build", "pictures_preview.png")

PAD_SIZES = (18, 27, 36)
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SAMPLES = 8  # per axis, per pixel

PREVIOUS, PLAY, STOP, NEXT, PAUSE = 1, 2, 3, 4, 5
DISABLED, NORMAL, HOT, PRESSED = 0, 1, 2, 3


# --- Shapes ----------------------------------------------------------------
# A shape is a function y -> sorted list of disjoint half-open x intervals,
# which makes scanline rasterising, union and difference cheap and exact.

def rect(x0, y0, x1, y1):
    def spans(y):
        return [(x0, x1)] if y0 <= y < y1 else []
    return spans


def rounded_rect(x0, y0, x1, y1, r):
    r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)

    def spans(y):
        if not y0 <= y < y1:
            return []
        d = max(y0 + r - y, y - (y1 - r), 0.0)
        inset = r - math.sqrt(max(r * r - d * d, 0.0))
        return [(x0 + inset, x1 - inset)] if x0 + inset < x1 - inset else []
    return spans


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def spans(y):
        xs = []
        for (ax, ay), (bx, by) in edges:
            if (ay <= y < by) or (by <= y < ay):
                xs.append(ax + (y - ay) * (bx - ax) / (by - ay))
        xs.sort()
        return [(xs[i], xs[i + 1]) for i in range(0, len(xs) - 1, 2)
                if xs[i] < xs[i + 1]]
    return spans


def ellipse(cx, cy, a, b, angle_deg=0.0):
    t = math.radians(angle_deg)
    c, s = math.cos(t), math.sin(t)
    qa = c * c / (a * a) + s * s / (b * b)

    def spans(y):
        dy = y - cy
        qb = 2 * dy * c * s * (1 / (a * a) - 1 / (b * b))
        qc = dy * dy * (s * s / (a * a) + c * c / (b * b)) - 1
        disc = qb * qb - 4 * qa * qc
        if disc <= 0:
            return []
        root = math.sqrt(disc)
        return [(cx + (-qb - root) / (2 * qa), cx + (-qb + root) / (2 * qa))]
    return spans


def _merge(spans):
    spans.sort()
    out = []
    for a, b in spans:
        if out and a <= out[-1][1]:
            if b > out[-1][1]:
                out[-1] = (out[-1][0], b)
        else:
            out.append((a, b))
    return out


def union(*shapes):
    def spans(y):
        return _merge([s for shape in shapes for s in shape(y)])
    return spans


def difference(shape, cut):
    def spans(y):
        out = []
        holes = cut(y)
        for a, b in shape(y):
            for ha, hb in holes:
                if hb <= a or ha >= b:
                    continue
                if ha > a:
                    out.append((a, ha))
                a = max(a, hb)
                if a >= b:
                    break
            if a < b:
                out.append((a, b))
        return out
    return spans


def translate(shape, dx, dy):
    def spans(y):
        return [(a + dx, b + dx) for a, b in shape(y - dy)]
    return spans


def bezier(p0, p1, p2, p3, steps=24):
    """Cubic Bezier as a point list, p0 excluded so curves chain."""
    pts = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1 - t
        pts.append(tuple(u * u * u * p0[j] + 3 * u * u * t * p1[j]
                         + 3 * u * t * t * p2[j] + t * t * t * p3[j]
                         for j in range(2)))
    return pts


def coverage(shape, w, h, n=SAMPLES):
    """Fraction of each pixel's n x n sample points inside the shape."""
    counts = [0] * (w * h)
    for py in range(h):
        base = py * w
        for sy in range(n):
            for x0, x1 in shape(py + (sy + 0.5) / n):
                # Sample points sit at (i + 0.5) / n; count those in [x0, x1).
                s0 = max(math.ceil(x0 * n - 0.5), 0)
                s1 = min(math.ceil(x1 * n - 0.5), w * n)
                if s0 >= s1:
                    continue
                p0, p1 = s0 // n, (s1 - 1) // n
                if p0 == p1:
                    counts[base + p0] += s1 - s0
                    continue
                counts[base + p0] += n - s0 % n
                for p in range(p0 + 1, p1):
                    counts[base + p] += n
                counts[base + p1] += s1 - p1 * n
    full = n * n
    return [c / full for c in counts]


# --- Canvas ----------------------------------------------------------------
# Premultiplied RGBA floats, 0..1, row-major, top row first.

class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def paint(self, shape, colour, alpha=1.0):
        """Source-over fill; colour is an RGB tuple or a function (x, y) -> RGB."""
        cov = coverage(shape, self.w, self.h)
        for i, c in enumerate(cov):
            if c <= 0:
                continue
            rgb = colour(i % self.w, i // self.w) if callable(colour) else colour
            a = c * alpha
            p = self.px[i]
            keep = 1 - a
            p[0] = rgb[0] / 255 * a + p[0] * keep
            p[1] = rgb[1] / 255 * a + p[1] * keep
            p[2] = rgb[2] / 255 * a + p[2] * keep
            p[3] = a + p[3] * keep

    def premultiplied_bytes(self):
        """RGBA bytes per pixel, premultiplied, each colour <= alpha."""
        out = []
        for r, g, b, a in self.px:
            a8 = round(a * 255)
            out.append(tuple(min(round(v * 255), a8) for v in (r, g, b)) + (a8,))
        return out

    def straight_bytes(self):
        out = []
        for r, g, b, a in self.px:
            if a <= 0:
                out.append((0, 0, 0, 0))
                continue
            out.append(tuple(min(round(v / a * 255), 255) for v in (r, g, b))
                       + (round(a * 255),))
        return out


# --- Pads ------------------------------------------------------------------

GLYPH = (34, 38, 52)          # dark slate, reads on light and mid-tone windows
GLYPH_STRONG = (16, 18, 28)
GLYPH_DISABLED = (120, 122, 134)
EDGE = (40, 46, 70)


def _span(center, length):
    """Integer-aligned (a, b) of about `length`, centred on `center`.

    Centres of odd-sized pads fall on half pixels, so the length's parity
    follows the centre's; that keeps straight edges crisp at every size.
    """
    parity = round(center * 2) % 2
    # Ties go to the smaller size, which leaves room for the pressed offset.
    n = 2 * math.ceil((length - parity) / 2 - 0.5) + parity
    return center - n / 2, center + n / 2


def glyph_shape(column, size):
    k = size / 18
    c = size / 2
    if column == PLAY:
        y0, y1 = _span(c, 10 * k)
        w = (y1 - y0) * 0.87
        x0 = math.floor(c - w / 2 + 0.6 * k + 0.5)  # nudged right: optical centre
        return polygon([(x0, y0), (x0 + w, c), (x0, y1)])
    if column == STOP:
        x0, x1 = _span(c, 8 * k)
        return rect(x0, x0, x1, x1)
    if column == PAUSE:
        x0, x1 = _span(c, 8 * k)
        y0, y1 = _span(c, 10 * k)
        bar = math.floor((x1 - x0 - 2 * k) / 2 + 0.5)  # keeps a clear gap
        return union(rect(x0, y0, x0 + bar, y1), rect(x1 - bar, y0, x1, y1))
    if column in (PREVIOUS, NEXT):
        x0, x1 = _span(c, 12 * k)
        y0, y1 = _span(c, 8 * k)
        bar = math.floor(2 * k + 0.5)
        tri = (x1 - x0 - bar) / 2
        if column == PREVIOUS:
            t0 = x0 + bar
            return union(
                rect(x0, y0, t0, y1),
                polygon([(t0, c), (t0 + tri, y0), (t0 + tri, y1)]),
                polygon([(t0 + tri, c), (x1, y0), (x1, y1)]))
        t1 = x1 - bar
        return union(
            rect(t1, y0, x1, y1),
            polygon([(t1, c), (t1 - tri, y0), (t1 - tri, y1)]),
            polygon([(t1 - tri, c), (x0, y0), (x0, y1)]))
    raise ValueError(column)


def draw_pad(column, state, size):
    k = size / 18
    cv = Canvas(size, size)
    line = max(1, math.floor(k))
    shift = max(1, math.floor(k + 0.5))
    radius = 3.5 * k
    face = rounded_rect(0, 0, size, size, radius)
    inner = rounded_rect(line, line, size - line, size - line, radius - line)
    glyph = glyph_shape(column, size)
    if state == DISABLED:
        cv.paint(glyph, GLYPH_DISABLED, 0.6)
    elif state == NORMAL:
        cv.paint(glyph, GLYPH)
    elif state == HOT:
        cv.paint(face, (255, 255, 255), 0.68)
        cv.paint(difference(face, inner), EDGE, 0.55)
        cv.paint(glyph, GLYPH_STRONG)
    elif state == PRESSED:
        cv.paint(face, (120, 126, 150), 0.55)
        # Shade along the top and left inside the rim: the face looks pushed in.
        shade = difference(inner, translate(inner, line, line))
        cv.paint(shade, (20, 24, 40), 0.35)
        cv.paint(difference(face, inner), EDGE, 0.75)
        cv.paint(translate(glyph, shift, shift), GLYPH_STRONG)
    return cv


def draw_strip(size):
    strip = Canvas(20 * size, size)
    for state in (DISABLED, NORMAL, HOT, PRESSED):
        for column in (PREVIOUS, PLAY, STOP, NEXT, PAUSE):
            k = 5 * state + column
            pad = draw_pad(column, state, size)
            ox = (k - 1) * size
            for y in range(size):
                row = y * strip.w + ox
                strip.px[row:row + size] = pad.px[y * size:(y + 1) * size]
    return strip


def bmp_bytes(canvas):
    """32-bpp BI_RGB, BITMAPINFOHEADER, bottom-up, premultiplied BGRA."""
    w, h = canvas.w, canvas.h
    pixels = canvas.premultiplied_bytes()
    body = bytearray()
    for y in range(h - 1, -1, -1):
        for r, g, b, a in pixels[y * w:(y + 1) * w]:
            body += bytes((b, g, r, a))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(body),
                       2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    return head + info + bytes(body)


# --- Icon ------------------------------------------------------------------

NOTE_TOP = (70, 150, 255)
NOTE_BOTTOM = (10, 70, 205)


def note_shape(size):
    """An eighth note; stem snapped to whole pixels so it stays bold at 16."""
    s = size
    cx, cy, a, b, tilt = 0.40 * s, 0.74 * s, 0.245 * s, 0.175 * s, -24
    head = ellipse(cx, cy, a, b, tilt)
    # The stem meets the head at its rightmost point, so no corner sticks out.
    t = math.radians(tilt)
    reach, reach_y = max(
        (a * math.cos(u) * math.cos(t) - b * math.sin(u) * math.sin(t),
         a * math.cos(u) * math.sin(t) + b * math.sin(u) * math.cos(t))
        for u in (i * math.pi / 720 for i in range(1440)))
    stem_w = max(2, math.floor(0.11 * s + 0.5))
    stem_x1 = math.floor(cx + reach)
    stem_x0 = stem_x1 - stem_w
    top = math.floor(0.06 * s + 0.5)
    stem = rect(stem_x0, top, stem_x1, cy + reach_y)
    # The flag leaves the stem top, swells right and curls back down.
    x, t = stem_x1, top
    flag = ([(x - stem_w / 2, t)]
            + bezier((x - stem_w / 2, t), (x + 0.02 * s, t + 0.10 * s),
                     (x + 0.30 * s, t + 0.16 * s), (x + 0.25 * s, t + 0.46 * s))
            + bezier((x + 0.25 * s, t + 0.46 * s), (x + 0.22 * s, t + 0.38 * s),
                     (x + 0.16 * s, t + 0.28 * s), (x, t + 0.28 * s)))
    return union(head, stem, polygon(flag))


def draw_icon(size):
    cv = Canvas(size, size)

    def gradient(_x, y):
        t = min(max(y / (size - 1), 0.0), 1.0)
        return tuple(round(a + (b - a) * t) for a, b in zip(NOTE_TOP, NOTE_BOTTOM))
    cv.paint(note_shape(size), gradient)
    if size >= 32:
        # A soft highlight on the head gives the larger sizes some body.
        s = size
        cv.paint(ellipse(0.35 * s, 0.70 * s, 0.11 * s, 0.05 * s, -24),
                 (255, 255, 255), 0.28)
    return cv


def png_bytes(w, h, rgba_rows):
    """8-bit RGBA PNG; rgba_rows yields bytes per row, top first."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + bytes(row) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico_bytes(icons):
    """Icon file: BMP entries with AND mask, PNG for 256."""
    images = []
    for size, cv in icons:
        pixels = cv.straight_bytes()
        if size >= 256:
            rows = (b"".join(bytes(p) for p in pixels[y * size:(y + 1) * size])
                    for y in range(size))
            images.append(png_bytes(size, size, rows))
            continue
        xor = bytearray()
        mask = bytearray()
        mask_stride = (size + 31) // 32 * 4
        for y in range(size - 1, -1, -1):
            row = pixels[y * size:(y + 1) * size]
            bits = bytearray(mask_stride)
            for x, (r, g, b, a) in enumerate(row):
                xor += bytes((b, g, r, a))
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        images.append(info + bytes(xor) + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), data in zip(icons, images):
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# --- Preview ---------------------------------------------------------------

PREVIEW_BACKGROUNDS = ((200, 200, 255), (255, 255, 255), (90, 90, 140))


def write_preview(path, strips, icons):
    """Each background gets a band: the strips enlarged, then at real size
    next to the icons, the small icons also enlarged."""
    zoom = {18: 4, 27: 3, 36: 2}
    gap = 12
    placed = []  # (x, y, canvas, zoom, background)
    bands = []
    y = gap
    width = 0
    for bg in PREVIEW_BACKGROUNDS:
        top = y
        for size in PAD_SIZES:
            placed.append((gap, y, strips[size], zoom[size], bg))
            width = max(width, 2 * gap + strips[size].w * zoom[size])
            y += size * zoom[size] + gap
        x = gap
        for size in PAD_SIZES:
            placed.append((x, y, strips[size], 1, bg))
            x += strips[size].w + gap
        width = max(width, x)
        y += max(PAD_SIZES) + gap
        x = gap
        for size, cv in icons:
            placed.append((x, y, cv, 1, bg))
            x += size + gap
        for size, cv in icons:
            if size <= 32:
                placed.append((x, y, cv, 4, bg))
                x += size * 4 + gap
        width = max(width, x)
        y += 256 + gap
        bands.append((top - gap // 2, y - gap // 2, bg))
        y += gap
    img = [[(60, 60, 60)] * width for _ in range(y)]
    for y0, y1, bg in bands:
        for yy in range(y0, y1):
            img[yy] = [bg] * width
    for bx, by, cv, z, bg in placed:
        pix = cv.premultiplied_bytes()
        for yy in range(cv.h * z):
            row = img[by + yy]
            src = pix[(yy // z) * cv.w:(yy // z + 1) * cv.w]
            for xx in range(cv.w * z):
                r, g, b, a = src[xx // z]
                keep = 255 - a  # what AlphaBlend does with premultiplied pixels
                row[bx + xx] = (r + (bg[0] * keep + 127) // 255,
                                g + (bg[1] * keep + 127) // 255,
                                b + (bg[2] * keep + 127) // 255)
    rows = (b"".join(bytes(p) + b"\xff" for p in row) for row in img)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png_bytes(width, len(img), rows))


def main(argv):
    preview = "--no-preview" not in argv
    os.makedirs(RES_DIR, exist_ok=True)
    strips = {}
    for size in PAD_SIZES:
        strips[size] = draw_strip(size)
        with open(os.path.join(RES_DIR, "pads_%d.bmp" % size), "wb") as f:
            f.write(bmp_bytes(strips[size]))
    icons = [(size, draw_icon(size)) for size in ICON_SIZES]
    with open(ICON_PATH, "wb") as f:
        f.write(ico_bytes(icons))
    if preview:
        write_preview(PREVIEW_PATH, strips, icons)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
