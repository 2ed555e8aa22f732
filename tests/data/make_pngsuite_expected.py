#!/usr/bin/python3
"""Writes pngsuite_expected.txt: the pixels a correct reader delivers for each PngSuite image.

Run once by hand (needs Pillow); the tests only read the text file it writes. Each line is
`NAME WIDTH HEIGHT SHA256` of the RGBA pixels, bottom row first, or `NAME FAIL MESSAGE` for the
files the game's PNG reader refuses (interlaced, 2-bit and 16-bit images).

The reference is Pillow's decode converted to RGBA, with two of the game's own rules applied on
top: a grey-with-alpha pixel whose alpha is 0 is 0, 0, 0, 0; and the tRNS grey value of a 1- or
4-bit grey image names a raw sample (Pillow compares it with the scaled level)."""
import glob
import hashlib
import os
import struct
import sys

from PIL import Image

suite = sys.argv[1] if len(sys.argv) > 1 else '/work/shared/testdata/pngsuite'
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'pngsuite_expected.txt')


def header(path):
    data = open(path, 'rb').read()
    pos, trns = 8, None
    while pos + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        if kind == b'IHDR':
            ihdr = struct.unpack('>IIBBBBB', data[pos + 8:pos + 21])
        if kind == b'tRNS':
            trns = data[pos + 8:pos + 8 + length]
        pos += 12 + length
    return ihdr, trns


lines = []
files = sorted(glob.glob(os.path.join(suite, '*.png'))) + \
    sorted(glob.glob(os.path.join(suite, 'interlaced', '*.png')))
for path in files:
    name = os.path.relpath(path, suite)
    (width, height, depth, colour, _, _, interlace), trns = header(path)
    if interlace:
        lines.append(f'{name} FAIL PNG - Interlace not supported.')
        continue
    if depth in (2, 16):
        lines.append(f'{name} FAIL PNG - Unsupported ColorType')
        continue
    im = Image.open(path)
    im.load()
    if colour == 0 and trns is not None and depth < 8:
        # Scale the raw key like the samples, then let Pillow key it out.
        key = struct.unpack('>H', trns[:2])[0] * (255 // ((1 << depth) - 1))
        grey = im.convert('L')
        rgba = grey.convert('RGBA')
        alpha = grey.point(lambda v: 0 if v == key else 255)
        rgba.putalpha(alpha)
    else:
        rgba = im.convert('RGBA')
    pixels = bytearray(rgba.transpose(Image.FLIP_TOP_BOTTOM).tobytes())
    if colour == 4:
        for i in range(0, len(pixels), 4):
            if pixels[i + 3] == 0:
                pixels[i:i + 4] = b'\0\0\0\0'
    lines.append(f'{name} {rgba.width} {rgba.height} {hashlib.sha256(pixels).hexdigest()}')

with open(out, 'w') as f:
    f.write('\n'.join(lines) + '\n')
print(f'{len(lines)} lines written to {out}')
