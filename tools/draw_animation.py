#!/usr/bin/env python3
"""Draws the progress animation and writes it as res/ProgressAnimation.avi.

The clip shows a file being cut onto disks: a paper band runs out of a document,
scissors snip a piece off it, the numbered piece flies over to a fanned stack of
floppy disks and becomes the label of a new disk at the front, while the older
disks move back. Three pieces (.000, .001, .002) make one loop of 24 frames, so
the last frame leads smoothly into the first.

The frames are 304 by 60 pixels with a 256-colour palette on the dialog's grey,
run-length encoded (RLE8) into an AVI with one 'mrle' video stream at 10 frames
per second. The first frame is a key frame; each later one holds only the pixels that
differ from the frame before it, and moves over the others (RLE8's delta code).
The output depends on nothing but this script: running it again gives the same
bytes.

Usage: draw_animation.py [--out FILE] [--png FOLDER]
  --png writes every frame, decoded back from the written clip, as a PNG and a
  contact sheet of all frames, for looking at the result.
"""

import argparse
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 304, 60
FRAMES = 24
MICROSECONDS_PER_FRAME = 100000
SUPERSAMPLE = 4
SNAP_SHARE = 10           # sixteenths of a pixel that one colour must cover to fill it alone

PERIOD = 8                 # frames from one cut to the next
PIECES_PER_LOOP = FRAMES // PERIOD
FEED_PER_FRAME = 3         # band advance in pixels per frame
PIECE_W, PIECE_H = PERIOD * FEED_PER_FRAME, 14
BAND_TOP = 28
CUT_X = 100                # where the scissors cut the band

DISK_SIZE = 32
LABEL_X, LABEL_Y = 4, 16   # label inside a disk; it has exactly the size of a piece
STACK_SLOTS = [(232, 26), (244, 19), (256, 12)]   # front to back
FLIGHT_FRAMES = 6          # a piece lands on the stack this many frames after its cut

# Colours (r, g, b)
FACE = (192, 192, 192)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
SHADOW = (128, 128, 128)
PAPER_FOLD = (216, 216, 216)
INK = (88, 96, 136)
STEEL = (228, 232, 240)
STEEL_EDGE = (72, 76, 88)
HANDLE = (200, 24, 24)
SHUTTER = (208, 212, 220)
DISK_COLOURS = [(0, 40, 136), (0, 104, 96), (120, 24, 96)]
DISK_SHADES = [(0, 16, 64), (0, 48, 44), (56, 8, 44)]
BASE_COLOURS = [FACE, WHITE, BLACK, SHADOW, PAPER_FOLD, INK, STEEL, STEEL_EDGE, HANDLE,
                SHUTTER] + DISK_COLOURS + DISK_SHADES

# A 3 by 5 pixel font for the piece numbers.
GLYPHS = {
  '.': ["0", "0", "0", "0", "1"],
  '0': ["111", "101", "101", "101", "111"],
  '1': ["010", "110", "010", "010", "111"],
  '2': ["111", "001", "111", "100", "111"],
}


# ---------------------------------------------------------------- geometry

def affine(a=1.0, b=0.0, c=0.0, d=1.0, e=0.0, f=0.0):
  """x' = a x + b y + e, y' = c x + d y + f"""
  return (a, b, c, d, e, f)


def compose(outer, inner):
  a1, b1, c1, d1, e1, f1 = outer
  a2, b2, c2, d2, e2, f2 = inner
  return (a1 * a2 + b1 * c2, a1 * b2 + b1 * d2, c1 * a2 + d1 * c2, c1 * b2 + d1 * d2,
          a1 * e2 + b1 * f2 + e1, c1 * e2 + d1 * f2 + f1)


def translate(x, y):
  return affine(e=x, f=y)


def rotate(degrees):
  r = math.radians(degrees)
  return affine(math.cos(r), -math.sin(r), math.sin(r), math.cos(r))


def scale(s):
  return affine(s, 0.0, 0.0, s)


IDENTITY = affine()


def apply(m, points):
  a, b, c, d, e, f = m
  # Rounding to a 1/64 pixel grid keeps the output independent of the last bits of the maths library.
  return [(round((a * x + b * y + e) * 64) / 64, round((c * x + d * y + f) * 64) / 64) for x, y in points]


def rect(x0, y0, x1, y1):
  return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def ellipse(cx, cy, rx, ry, steps=28):
  return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
          for i in range(steps)]


def smoothstep(t):
  t = min(max(t, 0.0), 1.0)
  return t * t * (3 - 2 * t)


# ---------------------------------------------------------------- canvas

class Canvas:
  """An RGB picture sampled SUPERSAMPLE times finer than the frame in each direction."""

  def __init__(self, background):
    self.w, self.h = WIDTH * SUPERSAMPLE, HEIGHT * SUPERSAMPLE
    self.rows = [[background] * self.w for _ in range(self.h)]

  def fill(self, contours, colour, m=IDENTITY):
    """Fills the contours (lists of points in frame pixels) with the even-odd rule."""
    edges = []
    for contour in contours:
      pts = [(x * SUPERSAMPLE, y * SUPERSAMPLE) for x, y in apply(m, contour)]
      edges += [(pts[i], pts[(i + 1) % len(pts)]) for i in range(len(pts))]
    ys = [p[1] for e in edges for p in e]
    top, bottom = max(0, math.floor(min(ys))), min(self.h, math.ceil(max(ys)))
    for row in range(top, bottom):
      y = row + 0.5
      crossings = sorted(x0 + (y - y0) * (x1 - x0) / (y1 - y0)
                         for (x0, y0), (x1, y1) in edges if (y0 <= y < y1) or (y1 <= y < y0))
      line = self.rows[row]
      for i in range(0, len(crossings) - 1, 2):
        first = max(0, math.ceil(crossings[i] - 0.5))
        last = min(self.w, math.ceil(crossings[i + 1] - 0.5))
        if first < last:
          line[first:last] = [colour] * (last - first)

  def outlined(self, contour, colour, edge, m=IDENTITY):
    """A shape with an edge one pixel wide: the shape, then its inset in the fill colour."""
    self.fill([contour], edge, m)
    self.fill([inset(contour, 1.0)], colour, m)

  def pixels(self):
    """The frame: every pixel is the average of its samples, or their main colour when that covers
    nearly all of the pixel; faint fringes cost more in the compressed clip than they give the eye."""
    s = SUPERSAMPLE
    n = s * s
    out = []
    for y in range(HEIGHT):
      bands = self.rows[y * s:(y + 1) * s]
      row = []
      for x in range(WIDTH):
        samples = [colour for band in bands for colour in band[x * s:(x + 1) * s]]
        main = max(set(samples), key=lambda colour: (samples.count(colour), colour))
        if samples.count(main) * 16 >= SNAP_SHARE * n:
          row.append(main)
          continue
        row.append(tuple((sum(colour[k] for colour in samples) + n // 2) // n for k in range(3)))
      out.append(row)
    return out


def inset(contour, width):
  """Moves every edge of a convex, clockwise-on-screen polygon inwards by width."""
  n = len(contour)
  lines = []
  for i in range(n):
    (x0, y0), (x1, y1) = contour[i], contour[(i + 1) % n]
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = -(y1 - y0) / length, (x1 - x0) / length   # inward normal for screen-clockwise order
    lines.append(((x0 + nx * width, y0 + ny * width), (x1 - x0, y1 - y0)))
  result = []
  for i in range(n):
    (p, d), (q, e) = lines[i - 1], lines[i]
    det = d[0] * e[1] - d[1] * e[0]
    t = ((q[0] - p[0]) * e[1] - (q[1] - p[1]) * e[0]) / det
    result.append((p[0] + t * d[0], p[1] + t * d[1]))
  return result


# ---------------------------------------------------------------- the pictures

def text_contours(text, x, y):
  """The glyph pixels of text, top-left corner at (x, y), as unit squares."""
  squares = []
  for ch in text:
    glyph = GLYPHS[ch]
    for gy, line in enumerate(glyph):
      for gx, bit in enumerate(line):
        if bit == "1":
          squares.append(rect(x + gx, y + gy, x + gx + 1, y + gy + 1))
    x += len(glyph[0]) + 1
  return squares


def text_width(text):
  return sum(len(GLYPHS[ch][0]) + 1 for ch in text) - 1


def number_contours(number):
  """The piece's name extension, centred on a piece whose top-left corner is at (0, 0)."""
  name = ".%03d" % number
  return text_contours(name, (PIECE_W - text_width(name)) // 2, 5)


def draw_document(c):
  x0, y0, x1, y1, fold = 6, 6, 40, 54, 9
  page = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
  c.fill([[(x + 2, y + 2) for x, y in page]], SHADOW)
  c.outlined(page, WHITE, BLACK)
  c.outlined([(x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)], PAPER_FOLD, BLACK)
  lengths = [16, 22, 19, 24, 12, 21, 25, 17, 23, 14]
  for i, length in enumerate(lengths):
    y = 11 + 4 * i
    if y > y1 - 5:
      break
    right = min(x0 + 5 + length, x1 - 5 if y > y0 + fold else x1 - fold - 3)
    c.fill([rect(x0 + 5, y, right, y + 2)], INK)


def band_text(c, left, right, shift):
  """The two rows of words on a stretch of band, as if printed on the band and moved by shift."""
  words = [(0, 9), (12, 19), (22, 31), (35, 42), (46, 57), (60, 68),
           (3, 8), (11, 22), (25, 30), (33, 45), (49, 55), (58, 69)]
  for row in range(2):
    y = BAND_TOP + 4 + 5 * row
    for start, end in words[row * 6:row * 6 + 6]:
      for lap in range(-1, 3):
        a = start + shift + lap * 72
        b = end + shift + lap * 72
        a, b = max(a, left + 2), min(b, right - 2)
        if a < b:
          c.fill([rect(a, y, b, y + 2)], INK)


def draw_band(c, tip, frame):
  """The band from the document to its tip; its print moves along with it."""
  c.fill([rect(41, BAND_TOP + 2, tip + 1, BAND_TOP + PIECE_H + 1)], SHADOW)
  c.fill([rect(40, BAND_TOP, tip, BAND_TOP + PIECE_H)], BLACK)
  c.fill([rect(39, BAND_TOP + 1, tip - 1, BAND_TOP + PIECE_H - 1)], WHITE)
  band_text(c, 40, tip, (FEED_PER_FRAME * frame) % 72)


def draw_piece(c, m, number, shadow):
  """A piece of band with its number; m places the piece's top-left corner."""
  outline = rect(0, 0, PIECE_W, PIECE_H)
  if shadow:
    c.fill([outline], SHADOW, compose(m, translate(1.5, 1.5)))
  c.outlined(outline, WHITE, BLACK, m=m)
  c.fill(number_contours(number), BLACK, m)


def draw_cut_piece(c, frame, x):
  """The piece just cut off still shows the band's print."""
  outline = rect(x, BAND_TOP, x + PIECE_W, BAND_TOP + PIECE_H)
  c.fill([[(px + 1, py + 2) for px, py in outline]], SHADOW)
  c.outlined(outline, WHITE, BLACK)
  band_text(c, x, x + PIECE_W, (FEED_PER_FRAME * frame) % 72 + 1)


def draw_disk(c, x, y, number, grow):
  """A 3.5 inch floppy disk, coloured by its number, whose label is the piece with that number;
  grow scales it about its label."""
  s = DISK_SIZE
  cx, cy = LABEL_X + PIECE_W / 2, LABEL_Y + PIECE_H / 2
  m = compose(translate(x + cx, y + cy), compose(scale(grow), translate(-cx, -cy)))
  c.fill([[(0, 0), (s - 3, 0), (s, 3), (s, s), (0, s)]], DISK_COLOURS[number], m)
  c.fill([rect(8, 0, 25, 12)], SHUTTER, m)
  c.fill([rect(19, 2, 22, 10)], DISK_SHADES[number], m)
  label = compose(m, translate(LABEL_X, LABEL_Y))
  c.fill([rect(0, 0, PIECE_W, PIECE_H)], WHITE, label)
  c.fill(number_contours(number), BLACK, label)


def draw_scissors(c, opening):
  """Scissors pointing down across the band; opening is the angle of each blade from the middle."""
  pivot = (CUT_X, 21)
  blade = [(0, 0), (1.6, 4), (1.2, 18), (0, 31), (-2.2, 18), (-2.6, 4)]
  arm = [(-1.5, 0), (1.5, 0), (2.2, -9), (-0.8, -9)]
  ring = ellipse(0.5, -13.5, 4.4, 5.0)
  hole = ellipse(0.5, -13.5, 2.4, 3.0)
  for side in (1, -1):
    m = compose(translate(*pivot), compose(rotate(side * opening), affine(a=side)))
    c.fill([arm], HANDLE, m)
    c.fill([ring, hole], HANDLE, m)
  for side in (1, -1):
    m = compose(translate(*pivot), compose(rotate(-side * opening), affine(a=side)))
    c.fill([blade], STEEL_EDGE, m)
  c.fill([ellipse(pivot[0], pivot[1], 1.4, 1.4, 12)], STEEL)


SCISSORS_OPENING = [0, 9, 17, 22, 24, 21, 14, 6]   # degrees, by frames since the last cut


def flight(age):
  """Where a piece is, age frames after its cut: top-left corner and rotation."""
  start = (CUT_X + 1, BAND_TOP)
  sx, sy = STACK_SLOTS[0]
  end = (sx + LABEL_X, sy + LABEL_Y)
  t = smoothstep(age / FLIGHT_FRAMES) * 0.85 + (age / FLIGHT_FRAMES) * 0.15
  control = (start[0] + 70, -14)
  x = (1 - t) ** 2 * start[0] + 2 * (1 - t) * t * control[0] + t * t * end[0]
  y = (1 - t) ** 2 * start[1] + 2 * (1 - t) * t * control[1] + t * t * end[1]
  return x, y, -28 * math.sin(math.pi * t)


def stack_position(place):
  """Top-left corner of a disk at a place in the stack: 0 front, 1, 2 back; between places it glides."""
  place = min(place, len(STACK_SLOTS) - 1)
  i = min(int(place), len(STACK_SLOTS) - 2)
  f = place - i
  (x0, y0), (x1, y1) = STACK_SLOTS[i], STACK_SLOTS[i + 1]
  return x0 + (x1 - x0) * f, y0 + (y1 - y0) * f


def draw_frame(frame):
  c = Canvas(FACE)
  age = frame % PERIOD                  # frames since the latest cut
  latest = frame // PERIOD              # number of the latest piece cut
  draw_document(c)
  draw_band(c, CUT_X + FEED_PER_FRAME * age, frame)

  # Disks: pieces that have landed, oldest first so the newer ones lie in front.
  # A disk moves one place back while each later piece is on its way.
  for number in range(latest - len(STACK_SLOTS) - 1, latest + 1):
    landed = frame - number * PERIOD - FLIGHT_FRAMES
    if landed < 0:
      continue
    place = sum(smoothstep((frame - later * PERIOD - 2) / 3) for later in range(number + 1, latest + 1))
    if place >= len(STACK_SLOTS):
      continue
    x, y = stack_position(place)
    grow = [0.82, 1.04][landed] if landed < 2 else 1.0
    draw_disk(c, x, y, number % PIECES_PER_LOOP, grow)

  # The piece in flight (the latest cut), or the piece just cut.
  if age == 0:
    draw_cut_piece(c, frame, CUT_X + 1)
  elif age < FLIGHT_FRAMES:
    x, y, angle = flight(age)
    m = compose(translate(x + PIECE_W / 2, y + PIECE_H / 2),
                compose(rotate(angle), translate(-PIECE_W / 2, -PIECE_H / 2)))
    draw_piece(c, m, latest % PIECES_PER_LOOP, True)

  draw_scissors(c, SCISSORS_OPENING[age])
  return c.pixels()


# ---------------------------------------------------------------- palette

def median_cut(counts, boxes):
  """Splits the weighted colours into at most boxes groups; returns each group's weighted mean."""
  groups = [sorted(counts.items())]
  while len(groups) < boxes:
    best, best_range, best_axis = None, 0, 0
    for i, group in enumerate(groups):
      if len(group) < 2:
        continue
      for axis in range(3):
        values = [colour[axis] for colour, _ in group]
        spread = max(values) - min(values)
        if spread > best_range:
          best, best_range, best_axis = i, spread, axis
    if best is None:
      break
    group = sorted(groups.pop(best), key=lambda item: (item[0][best_axis], item[0]))
    total = sum(n for _, n in group)
    running, split = 0, 1
    for split in range(1, len(group)):
      running += group[split - 1][1]
      if running * 2 >= total:
        break
    groups[best:best] = [group[:split], group[split:]]
  result = []
  for group in groups:
    total = sum(n for _, n in group)
    result.append(tuple((sum(colour[k] * n for colour, n in group) + total // 2) // total for k in range(3)))
  return result


def make_palette(frames):
  counts = {}
  for pixels in frames:
    for row in pixels:
      for colour in row:
        counts[colour] = counts.get(colour, 0) + 1
  palette = list(dict.fromkeys(BASE_COLOURS))
  rest = {colour: n for colour, n in counts.items() if colour not in palette}
  for colour in median_cut(rest, 256 - len(palette)) if rest else []:
    if colour not in palette:
      palette.append(colour)
  palette += [(0, 0, 0)] * (256 - len(palette))
  return palette


def index_frames(frames, palette):
  nearest = {}

  def lookup(colour):
    if colour not in nearest:
      nearest[colour] = min(range(len(palette)),
                            key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))
    return nearest[colour]

  return [[[lookup(colour) for colour in row] for row in pixels] for pixels in frames]


# ---------------------------------------------------------------- RLE8

def encode_line(line):
  """The shortest RLE8 codes for one line, chosen over the line's runs of equal bytes.

  A run costs two bytes per 255 pixels. An absolute stretch of 3 to 255 bytes costs two bytes, its
  bytes and a pad byte when its length is odd. A stretch always takes whole runs: splitting a run
  between a stretch and a run never saves a byte.
  """
  runs = []
  for value in line:
    if runs and runs[-1][0] == value:
      runs[-1][1] += 1
    else:
      runs.append([value, 1])

  def run_codes(value, count):
    codes = bytearray()
    while count:
      part = min(count, 255)
      codes += bytes((part, value))
      count -= part
    return codes

  n = len(runs)
  best = [None] * n + [(0, None, None)]    # (cost, end run, stretch?) of the rest of the line
  for i in range(n - 1, -1, -1):
    value, count = runs[i]
    cost = 2 * ((count + 254) // 255) + best[i + 1][0]
    choice = (cost, i + 1, False)
    length = 0
    for j in range(i, n):
      length += runs[j][1]
      if length > 255:
        break
      if j > i and length >= 3:
        cost = 2 + length + (length & 1) + best[j + 1][0]
        if cost < choice[0]:
          choice = (cost, j + 1, True)
    best[i] = choice

  out = bytearray()
  i = 0
  while i < n:
    _, end, stretch = best[i]
    if stretch:
      data = bytes(value for value, count in runs[i:end] for _ in range(count))
      out += bytes((0, len(data))) + data + (b"\x00" if len(data) & 1 else b"")
    else:
      out += run_codes(*runs[i])
    i = end
  return out


def encode_rle8(rows):
  """Encodes an 8-bit picture (rows top to bottom) as a bottom-up RLE8 bitmap."""
  out = bytearray()
  for n, line in enumerate(reversed(rows)):
    out += encode_line(line)
    out += b"\x00\x01" if n == len(rows) - 1 else b"\x00\x00"
  return bytes(out)


def changed_stretches(line, before):
  """The stretches [start, end) of a line to write so that it becomes the line before it plus
  its changes, in the fewest bytes: each stretch costs its RLE8 codes, and each move over
  unchanged pixels to the next stretch costs a delta code of four bytes. Runs of changed
  pixels are joined into one stretch where writing the unchanged pixels between them again
  costs less than moving over them."""
  runs = []
  for x, (now, then) in enumerate(zip(line, before)):
    if now == then:
      continue
    if runs and runs[-1][1] == x:
      runs[-1][1] = x + 1
    else:
      runs.append([x, x + 1])
  count = len(runs)
  best = [0] * (count + 1)        # the least cost of the runs from i on
  last_joined = [0] * count       # the last run of the stretch that starts at run i
  for i in range(count - 1, -1, -1):
    choices = ((len(encode_line(line[runs[i][0]:runs[j][1]])) + (4 if j + 1 < count else 0) + best[j + 1], j)
               for j in range(i, count))
    best[i], last_joined[i] = min(choices)
  stretches = []
  i = 0
  while i < count:
    stretches.append([runs[i][0], runs[last_joined[i]][1]])
    i = last_joined[i] + 1
  return stretches


def encode_rle8_delta(rows, previous):
  """Encodes a frame as the changes from the previous one: a bottom-up RLE8 bitmap that writes only
  the pixels that differ and moves over the rest (the delta code moves right and up, the end of a
  line moves to the start of the next one, the end of the bitmap leaves the rest as it was)."""
  out = bytearray()
  x = y = 0                       # where the decoder stands
  for line_number, (line, before) in enumerate(zip(reversed(rows), reversed(previous))):
    for start, end in changed_stretches(line, before):
      while y < line_number or x != start:
        if y < line_number and start < x:
          out += b"\x00\x00"      # to the start of the next line
          x, y = 0, y + 1
          continue
        up = min(line_number - y, 255)
        right = min(start - x, 255) if up == line_number - y else 0
        out += bytes((0, 2, right, up))
        x, y = x + right, y + up
      out += encode_line(line[start:end])
      x = end
  return bytes(out + b"\x00\x01")


def decode_rle8(data, width, height, previous=None):
  """Decodes a bottom-up RLE8 bitmap into rows top to bottom: a key frame, or with the previous frame
  the changes from it; rejects malformed data."""
  rows = [list(row) for row in previous] if previous else [[None] * width for _ in range(height)]
  x = y = i = 0
  while True:
    if i + 2 > len(data):
      raise ValueError("bitmap ends without end-of-bitmap")
    count, value = data[i], data[i + 1]
    i += 2
    if count:
      if x + count > width or y >= height:
        raise ValueError("run leaves the picture")
      rows[height - 1 - y][x:x + count] = [value] * count
      x += count
    elif value == 0:
      if x != width and not previous:
        raise ValueError("line %d ends after %d pixels" % (y, x))
      x, y = 0, y + 1
    elif value == 1:
      if (not previous and (x != width or y != height - 1)) or i != len(data):
        raise ValueError("end-of-bitmap in the wrong place")
      return rows
    elif value == 2:
      if not previous:
        raise ValueError("key frames hold no deltas")
      if i + 2 > len(data) or x + data[i] > width or y + data[i + 1] >= height:
        raise ValueError("delta leaves the picture")
      x, y = x + data[i], y + data[i + 1]
      i += 2
    else:
      if x + value > width or y >= height or i + value > len(data):
        raise ValueError("absolute stretch leaves the picture")
      rows[height - 1 - y][x:x + value] = list(data[i:i + value])
      x += value
      i += value + (value & 1)


# ---------------------------------------------------------------- AVI

def chunk(fourcc, data):
  return fourcc + struct.pack("<I", len(data)) + data + (b"\x00" if len(data) % 2 else b"")


def riff_list(kind, fourcc, body):
  return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def build_avi(encoded, palette):
  largest = max(len(f) for f in encoded)
  buffer_size = largest + (largest & 1)
  AVIF_HASINDEX = 0x10
  AVIIF_KEYFRAME = 0x10
  avih = struct.pack("<14I", MICROSECONDS_PER_FRAME, buffer_size * 1000000 // MICROSECONDS_PER_FRAME, 0,
                     AVIF_HASINDEX, len(encoded), 0, 1, buffer_size, WIDTH, HEIGHT, 0, 0, 0, 0)
  strh = struct.pack("<4s4sIHHIIIIIIII4h", b"vids", b"mrle", 0, 0, 0, 0, 1,
                     1000000 // MICROSECONDS_PER_FRAME, 0, len(encoded), buffer_size, 0xFFFFFFFF, 0,
                     0, 0, WIDTH, HEIGHT)
  BI_RLE8 = 1
  strf = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, BI_RLE8, buffer_size, 0, 0, 256, 0)
  strf += b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in palette)
  hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) +
                   riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
  movi_body = b""
  index = b""
  for n, frame in enumerate(encoded):
    offset = 4 + len(movi_body)   # from the 'movi' code to the chunk's header
    index += struct.pack("<4sIII", b"00dc", AVIIF_KEYFRAME if n == 0 else 0, offset, len(frame))
    movi_body += chunk(b"00dc", frame)
  body = hdrl + riff_list(b"LIST", b"movi", movi_body) + chunk(b"idx1", index)
  return riff_list(b"RIFF", b"AVI ", body)


# ---------------------------------------------------------------- checking by eye

def write_png(path, rows):
  """Writes rows of (r, g, b) as an 8-bit RGB PNG."""
  raw = b"".join(b"\x00" + bytes(v for colour in row for v in colour) for row in rows)

  def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

  header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
  with open(path, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", zlib.compress(raw, 9)) +
            png_chunk(b"IEND", b""))


def write_previews(folder, encoded, palette, zoom=3):
  os.makedirs(folder, exist_ok=True)
  frames = []
  indices = None
  for data in encoded:
    indices = decode_rle8(data, WIDTH, HEIGHT, indices)
    frames.append([[palette[v] for v in row] for row in indices])
  for n, rows in enumerate(frames):
    big = [[colour for colour in row for _ in range(zoom)] for row in rows for _ in range(zoom)]
    write_png(os.path.join(folder, "frame%02d.png" % n), big)
  gap = [(255, 0, 255)] * WIDTH
  sheet = []
  for n in range(0, FRAMES, 2):
    left, right = frames[n], frames[n + 1]
    sheet += [a + [(255, 0, 255)] * 2 + b for a, b in zip(left, right)]
    sheet += [gap + [(255, 0, 255)] * 2 + gap] * 2
  write_png(os.path.join(folder, "sheet.png"), sheet)


def main():
  here = os.path.dirname(os.path.abspath(__file__))
  parser = argparse.ArgumentParser(description="Draws the progress animation clip.")
  parser.add_argument("--out", default=os.path.join(here, "..", "res", "ProgressAnimation.avi"))
  parser.add_argument("--png", help="folder for preview pictures of the frames")
  args = parser.parse_args()

  frames = [draw_frame(n) for n in range(FRAMES)]
  palette = make_palette(frames)
  indexed = index_frames(frames, palette)
  # The first frame is whole; every later one holds its changes from the frame before it.
  encoded = [encode_rle8(indexed[0])] + [encode_rle8_delta(rows, previous)
                                         for previous, rows in zip(indexed, indexed[1:])]
  with open(args.out, "wb") as f:
    f.write(build_avi(encoded, palette))
  if args.png:
    write_previews(args.png, encoded, palette)


if __name__ == "__main__":
  main()
