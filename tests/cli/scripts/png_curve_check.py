"""Checks that a PNG plot picture shows its curves, not an empty frame.

Usage: png_curve_check.py FILE WIDTH HEIGHT MIN_PIXELS

Decodes the PNG with zlib alone (8-bit RGB or RGBA, not interlaced), checks
its size, and counts the pixels drawn in the colours of gnuplot's first two
lines (the run's curve and its p = 0.05 reference). Each must cover at least
MIN_PIXELS pixels; the legend's sample lines alone cover far fewer. Prints
the counts and exits 1 when a check fails.
"""
import struct
import sys
import zlib

path, width, height, least = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
data = open(path, "rb").read()
if data[:8] != b"\x89PNG\r\n\x1a\n":
    sys.exit(f"{path}: not a PNG")

chunks, at = {}, 8
idat = b""
while at < len(data):
    (length,) = struct.unpack(">I", data[at:at + 4])
    kind = data[at + 4:at + 8]
    body = data[at + 8:at + 8 + length]
    if kind == b"IDAT":
        idat += body
    else:
        chunks.setdefault(kind, body)
    at += 12 + length

w, h, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
if (w, h) != (width, height):
    sys.exit(f"{path}: {w}x{h}, not {width}x{height}")
if depth != 8 or colour not in (2, 6) or interlace != 0:
    sys.exit(f"{path}: depth {depth}, colour type {colour}, interlace {interlace} not handled")

channels = 3 if colour == 2 else 4
stride = w * channels
raw = zlib.decompress(idat)
rows, previous = [], bytearray(stride)
for y in range(h):
    start = y * (stride + 1)
    kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
    for i in range(stride):
        left = line[i - channels] if i >= channels else 0
        up = previous[i]
        corner = previous[i - channels] if i >= channels else 0
        if kind == 1:
            line[i] = (line[i] + left) & 255
        elif kind == 2:
            line[i] = (line[i] + up) & 255
        elif kind == 3:
            line[i] = (line[i] + (left + up) // 2) & 255
        elif kind == 4:
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            guess = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
            line[i] = (line[i] + guess) & 255
    rows.append(line)
    previous = line

# gnuplot's default colours of the first two lines. Lines are drawn
# smoothed, so a pixel counts when it is the colour laid at least half
# opaque over the white background.
curves = {"curve": (0x94, 0x00, 0xD3), "reference": (0x00, 0x9E, 0x73)}


def covers(pixel, rgb):
    key = min(range(3), key=lambda c: rgb[c])  # the channel furthest from white
    alpha = (255 - pixel[key]) / (255 - rgb[key])
    if alpha < 0.5 or alpha > 1.05:
        return False
    return all(abs(pixel[c] - (255 - alpha * (255 - rgb[c]))) <= 24 for c in range(3))


counts = dict.fromkeys(curves, 0)
for line in rows:
    for x in range(w):
        pixel = line[x * channels:x * channels + 3]
        if pixel[0] == pixel[1] == pixel[2]:
            continue  # white, black and grey: background, frame and text
        for name, rgb in curves.items():
            if covers(pixel, rgb):
                counts[name] += 1
print(" ".join(f"{name} {count}" for name, count in counts.items()))
failed = [name for name, count in counts.items() if count < least]
if failed:
    sys.exit(f"{path}: too few pixels of the {', '.join(failed)}")
