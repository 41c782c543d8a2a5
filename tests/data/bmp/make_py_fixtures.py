#!/usr/bin/env python3
"""Writes the BMP fixtures that ImageMagick cannot: 8-bit uncompressed, RLE4, top-down 24-bit,
32-bit with external bit fields. The picture is the 7 x 5 pattern of the ImageMagick fixtures:
colour (x + 2y) mod 4 of red, (0,128,255), white, black."""
import struct

W, H = 7, 5
COLS = [(255, 0, 0), (0, 128, 255), (255, 255, 255), (0, 0, 0)]


def idx(x, y):
    return (x + 2 * y) % 4


def filehdr(info, pal, bits):
    off = 14 + len(info) + len(pal)
    return b'BM' + struct.pack('<IHHI', off + len(bits), 0, 0, off) + info + pal + bits


def info(w, h, bpp, comp, size, clr=0):
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, comp, size, 3780, 3780, clr, 0)


def palette(n):
    out = b''
    for i in range(n):
        r, g, b = COLS[i] if i < 4 else (i, i, i)
        out += bytes((b, g, r, 0))
    return out


def pad(row):
    return row + b'\0' * ((4 - len(row) % 4) % 4)


# 8 bits, uncompressed, full 256-entry table
bits = b''.join(pad(bytes(idx(x, y) for x in range(W))) for y in reversed(range(H)))
open('py8.bmp', 'wb').write(filehdr(info(W, H, 8, 0, len(bits)), palette(256), bits))

# RLE4: each row in absolute mode, then end of line; end of bitmap at the end
rle = b''
for y in reversed(range(H)):
    nib = [idx(x, y) for x in range(W)] + [0]
    packed = bytes((nib[i] << 4) | nib[i + 1] for i in range(0, 8, 2))
    rle += bytes((0, W)) + packed + bytes((0, 0))
rle += bytes((0, 1))
open('pyrle4.bmp', 'wb').write(filehdr(info(W, H, 4, 2, len(rle), 4), palette(4), rle))

# top-down 24 bits
bits = b''.join(pad(b''.join(bytes(COLS[idx(x, y)][::-1]) for x in range(W))) for y in range(H))
open('pytopdown24.bmp', 'wb').write(filehdr(info(W, -H, 24, 0, len(bits)), b'', bits))

# 32 bits with masks after the header: red in the low byte, blue in the third
masks = struct.pack('<III', 0x000000FF, 0x0000FF00, 0x00FF0000)
bits = b''
for y in reversed(range(H)):
    for x in range(W):
        r, g, b = COLS[idx(x, y)]
        bits += struct.pack('<I', r | g << 8 | b << 16)
open('pyfields32.bmp', 'wb').write(filehdr(info(W, H, 32, 3, len(bits)), masks, bits))
