#!/usr/bin/env python3
"""Draws the pictures of Parvola 95 and writes them into res/.

  res/Parvola95.ico        the program icon (a floppy disk cut into two pieces)
  res/Parvola95Second.ico  the second program icon (two disks, one behind the other)
  res/InfoFile.ico         the icon of the restore info files (a page with a disk)
  res/Bullet.bmp           the bullet of the Files page (9 x 9, 16 colours)

Every icon holds 16x16 and 32x32 images in 16 colours and in 256 colours. The pictures are
described as shapes in a 32 x 32 design space. The 16x16 images and all 16-colour images are
sampled once per pixel (crisp edges); the 32x32 256-colour image four by four times per pixel
(smooth edges). 256-colour palettes are made from the colours that occur.

Usage: tools/draw_icons.py [--preview DIR]   (--preview also writes enlarged PNGs to look at)
"""
import os
import struct
import sys
import zlib

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")

# The standard 16-colour palette in the order Windows uses for 4-bit pictures.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]

BLACK = (0, 0, 0)
NAVY = (24, 40, 120)
BLUE = (40, 72, 176)
DARK_BLUE = (0, 0, 128)
SILVER = (192, 192, 192)
LIGHT = (224, 224, 224)
GRAY = (128, 128, 128)
WHITE = (255, 255, 255)
TEAL = (0, 140, 140)
DARK_TEAL = (0, 80, 88)

# The colour each design colour takes in the 16-colour images (the nearest one is not always
# the best: the blue of the disk would turn teal).
CLASSIC = {NAVY: BLACK, BLUE: DARK_BLUE, DARK_BLUE: BLACK, LIGHT: SILVER, DARK_TEAL: BLACK,
           TEAL: (0, 128, 128)}


# ---- Shapes: each is a test "does the design point (x, y) lie inside?" ----

def rect(x0, y0, x1, y1):
  return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def polygon(points):
  def inside(x, y):
    hit = False
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
      if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
        hit = not hit
    return hit
  return inside


def shifted(shape, dx, dy):
  return lambda x, y: shape(x - dx, y - dy)


def both(first, second):
  return lambda x, y: first(x, y) and second(x, y)


def rim(shape, width):
  """The points of a shape that lie within `width` of its border."""
  steps = [(width, 0), (-width, 0), (0, width), (0, -width)]
  return lambda x, y: shape(x, y) and not all(shape(x + dx, y + dy) for dx, dy in steps)


# ---- Scenes: lists of (shape, colour), later entries painted over earlier ones ----
# Each scene takes `line`, the width of its outlines in design units: 1 for the 32x32
# images, 2 for the 16x16 images (so that no outline falls between two pixels).

def paint(layers, x, y):
  """The colour of the topmost layer that covers the point, or None (transparent)."""
  for shape, colour in reversed(layers):
    if shape(x, y):
      return colour
  return None


def floppy(x0, y0, size, line, body=BLUE, edge=NAVY):
  """A 3.5-inch disk with its top left corner at (x0, y0); size 26 is the full-size disk."""
  s = size / 26.0

  def at(px, py):
    return x0 + px * s, y0 + py * s

  def box(ax, ay, bx, by):
    (ux, uy), (vx, vy) = at(ax, ay), at(bx, by)
    return rect(ux, uy, vx, vy)

  outline = polygon([at(0, 0), at(23, 0), at(26, 3), at(26, 26), at(0, 26)])
  bar = max(1.2, line) / s
  label_lines = [(box(6, 16, 20, 16 + bar), GRAY)]
  if line == 1:  # a second line of writing only where the label is large enough
    label_lines.append((box(6, 20, 16, 20 + bar), GRAY))
  return [
      (outline, edge),
      (both(outline, lambda x, y: not rim(outline, line)(x, y)), body),
      (box(6, 0, 20, 10), SILVER),             # the metal shutter
      (box(6, 10 - bar, 20, 10), GRAY),
      (box(14, 2, 14 + max(3.5, 2 * bar), 8), edge),  # the window in the shutter
      (box(4, 13, 22, 26 - line / s), WHITE),  # the label
  ] + label_lines


def cut_disk(line):
  """The program icon: a disk cut along a zigzag into two pieces that move apart."""
  disk = floppy(3.5, 3.5, 25, line)
  right = polygon([(17, -1), (33, -1), (33, 33), (13, 33), (15, 20), (12, 17), (19, 9)])

  def left(x, y):
    return not right(x, y)

  layers = []
  for side, dx, dy in ((left, -3, 1.5), (right, 2.5, -1.5)):
    piece = both(disk[0][0], side)
    layers += [(shifted(both(shape, side), dx, dy), colour) for shape, colour in disk]
    layers.append((shifted(rim(piece, line), dx, dy), NAVY))
  return layers


def two_disks(line):
  """The second program icon: a teal disk behind a blue one."""
  return floppy(1, 1, 20, line, body=TEAL, edge=DARK_TEAL) + floppy(10, 10, 21, line)


def info_file(line):
  """The icon of the restore info files: a written page with a disk in front of it."""
  page = polygon([(4, 1), (19, 1), (26, 8), (26, 31), (4, 31)])
  fold = polygon([(19, 1), (26, 8), (19, 8)])
  layers = [(page, BLACK), (both(page, lambda x, y: not rim(page, line)(x, y)), WHITE),
            (fold, LIGHT), (rim(fold, line), BLACK)]
  for row in range(4):
    top = 11 + row * 3.5
    layers.append((rect(4 + 2 * line, top, 23 - 5 * (row % 2), top + max(1.2, line)), GRAY))
  return layers + floppy(13, 14, 17, line)


# ---- Sampling into pixels ----

def render(layers, size, samples, bits):
  """Rows of pixels: an (r, g, b) colour or None for transparent."""
  scale = 32.0 / size
  pixels = []
  for row in range(size):
    line = []
    for column in range(size):
      hits = []
      for sy in range(samples):
        for sx in range(samples):
          x = (column + (sx + 0.5) / samples) * scale
          y = (row + (sy + 0.5) / samples) * scale
          colour = paint(layers, x, y)
          if colour is not None:
            hits.append(CLASSIC.get(colour, colour) if bits == 4 else colour)
      if 2 * len(hits) < samples * samples:
        line.append(None)
      else:
        line.append(tuple(round(sum(c[i] for c in hits) / len(hits)) for i in range(3)))
    pixels.append(line)
  return pixels


def nearest(colour, palette):
  return min(range(len(palette)),
             key=lambda i: sum((colour[k] - palette[i][k]) ** 2 for k in range(3)))


def median_cut(colours, count):
  """At most `count` representative colours for a list of colours."""
  boxes = [sorted(set(colours))]
  while len(boxes) < count:
    splittable = [b for b in boxes if len(b) > 1]
    if not splittable:
      break
    widest = max(splittable, key=lambda b: max(max(c[k] for c in b) - min(c[k] for c in b) for k in range(3)))
    channel = max(range(3), key=lambda k: max(c[k] for c in widest) - min(c[k] for c in widest))
    widest.sort(key=lambda c: c[channel])
    half = len(widest) // 2
    boxes.remove(widest)
    boxes += [widest[:half], widest[half:]]
  return [tuple(round(sum(c[k] for c in b) / len(b)) for k in range(3)) for b in boxes]


def indexed(pixels, bits):
  """Palette and rows of palette indices (transparent pixels get index 0)."""
  if bits == 4:
    palette = list(VGA)
  else:
    used = [c for line in pixels for c in line if c is not None]
    palette = [BLACK] + median_cut(used, 255)
  cache = {}

  def index(colour):
    if colour is None:
      return 0
    if colour not in cache:
      cache[colour] = nearest(colour, palette)
    return cache[colour]

  return palette, [[index(c) for c in line] for line in pixels]


# ---- File formats ----

def packed_rows(rows, bits):
  """Bottom-up rows of `bits`-per-pixel values, each padded to four bytes."""
  data = b""
  for line in reversed(rows):
    value, filled, row = 0, 0, bytearray()
    for entry in line:
      value = (value << bits) | entry
      filled += bits
      if filled == 8:
        row.append(value)
        value, filled = 0, 0
    if filled:
      row.append(value << (8 - filled))
    row += bytes(-len(row) % 4)
    data += bytes(row)
  return data


def dib(palette, rows, bits, mask=None):
  """A device-independent bitmap: header, palette, colour bits and (for icons) the mask.
  A 256-colour palette holds only the colours in use (named in the header), which keeps the
  program file small; a 16-colour palette is always complete."""
  size = len(rows)
  used = len(palette) if bits == 8 else 0
  colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
  colours += bytes(4 * ((used or 1 << bits) - len(palette)))
  bits_data = packed_rows(rows, bits)
  mask_data = packed_rows(mask, 1) if mask is not None else b""
  height = 2 * size if mask is not None else size
  header = struct.pack("<IiiHHIIiiII", 40, len(rows[0]), height, 1, bits, 0,
                       len(bits_data) + len(mask_data), 0, 0, used, 0)
  return header + colours + bits_data + mask_data


def icon_file(images):
  """An .ico file from (size, bits, pixels) images."""
  blobs = []
  for size, bits, pixels in images:
    palette, rows = indexed(pixels, bits)
    mask = [[1 if c is None else 0 for c in line] for line in pixels]
    blobs.append((size, bits, dib(palette, rows, bits, mask)))
  data = struct.pack("<HHH", 0, 1, len(blobs))
  offset = 6 + 16 * len(blobs)
  for size, bits, blob in blobs:
    data += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits, len(blob), offset)
    offset += len(blob)
  return data + b"".join(blob for _, _, blob in blobs)


def bitmap_file(pixels):
  """A 16-colour .bmp file."""
  palette, rows = indexed(pixels, 4)
  body = dib(palette, rows, 4)
  return struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 64) + body


def png_file(pixels, zoom, background=(236, 233, 216)):
  """An enlarged PNG of the pixels over a plain background, for looking at the pictures."""
  raw = b""
  for line in pixels:
    row = b"".join(bytes(c if c is not None else background) * zoom for c in line)
    raw += (b"\0" + row) * zoom

  def chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))

  width, height = len(pixels[0]) * zoom, len(pixels) * zoom
  return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
          + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# ---- The bullet, drawn pixel by pixel ----

BULLET = [
    "...NNN...",
    ".NNBBBNN.",
    ".NBWWBBN.",
    "NBWWBBBBN",
    "NBWBBBBBN",
    "NBBBBBBDN",
    ".NBBBBDN.",
    ".NNDDDNN.",
    "...NNN...",
]
BULLET_COLOURS = {".": SILVER, "N": DARK_BLUE, "B": (0, 0, 255), "W": (0, 255, 255), "D": DARK_BLUE}


def main():
  preview = sys.argv[sys.argv.index("--preview") + 1] if "--preview" in sys.argv else None
  icons = {"Parvola95.ico": cut_disk, "Parvola95Second.ico": two_disks, "InfoFile.ico": info_file}
  for name, draw in icons.items():
    images = [(size, bits, render(draw(32 // size), size, 4 if (bits, size) == (8, 32) else 1, bits))
              for bits in (4, 8) for size in (16, 32)]
    with open(os.path.join(RES, name), "wb") as out:
      out.write(icon_file(images))
    if preview:
      for size, bits, pixels in images:
        palette, rows = indexed(pixels, bits)
        pixels = [[None if c is None else palette[i] for c, i in zip(line, row)] for line, row in zip(pixels, rows)]
        with open(os.path.join(preview, "%s-%d-%d.png" % (name[:-4], size, bits)), "wb") as out:
          out.write(png_file(pixels, 256 // size))
  bullet = [[BULLET_COLOURS[c] for c in line] for line in BULLET]
  with open(os.path.join(RES, "Bullet.bmp"), "wb") as out:
    out.write(bitmap_file(bullet))
  if preview:
    with open(os.path.join(preview, "Bullet.png"), "wb") as out:
      out.write(png_file(bullet, 16))


if __name__ == "__main__":
  main()
