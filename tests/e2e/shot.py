#!/usr/bin/env python3
"""Reads a window picture written by xwd (32-bit TrueColor, as Xvfb gives).

  shot.py png SHOT.xwd OUT.png
      writes the picture as a PNG file.
  shot.py count SHOT.xwd X0 Y0 X1 Y1 R G B TOLERANCE
      prints how many pixels of the box [X0, X1) x [Y0, Y1) lie within
      TOLERANCE of the colour in each channel.
"""
import struct
import sys
import zlib


class Picture:
    """A 32-bit TrueColor picture as Xvfb's xwd writes it."""

    def __init__(self, path):
        self.data = open(path, 'rb').read()
        header_size = struct.unpack_from('>I', self.data, 0)[0]
        fields = struct.unpack_from('>25I', self.data, 0)
        self.width, self.height = fields[4], fields[5]
        bits_per_pixel, self.bytes_per_line, byte_order = fields[11], fields[12], fields[7]
        if bits_per_pixel != 32:
            sys.exit('%s: %d bits per pixel, not 32' % (path, bits_per_pixel))
        self.start = header_size + fields[19] * 12
        # LSBFirst: the bytes are B, G, R, x; MSBFirst: x, R, G, B.
        self.channels = (2, 1, 0) if byte_order == 0 else (1, 2, 3)

    def row(self, y, x0, x1):
        """The pixels x0..x1-1 of row y as (r, g, b) tuples."""
        at = self.start + y * self.bytes_per_line
        line = self.data[at + x0 * 4:at + x1 * 4]
        r, g, b = self.channels
        return [(line[i + r], line[i + g], line[i + b]) for i in range(0, len(line), 4)]


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff)
    raw = b''.join(b'\x00' + r for r in rows)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
                  chunk(b'IDAT', zlib.compress(raw, 6)) + chunk(b'IEND', b''))


def count(picture, x0, y0, x1, y1, colour, tolerance):
    x0, x1 = max(0, x0), min(picture.width, x1)
    n = 0
    for y in range(max(0, y0), min(picture.height, y1)):
        for p in picture.row(y, x0, x1):
            if all(abs(p[c] - colour[c]) <= tolerance for c in range(3)):
                n += 1
    return n


def main(args):
    if len(args) == 3 and args[0] == 'png':
        picture = Picture(args[1])
        rows = [bytes(c for p in picture.row(y, 0, picture.width) for c in p) for y in range(picture.height)]
        write_png(args[2], picture.width, picture.height, rows)
    elif len(args) == 10 and args[0] == 'count':
        x0, y0, x1, y1, r, g, b, tolerance = (int(a) for a in args[2:])
        print(count(Picture(args[1]), x0, y0, x1, y1, (r, g, b), tolerance))
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv[1:])
