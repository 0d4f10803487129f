#!/usr/bin/env python3
"""Turns an X window dump (xwd, 24 or 32 bits per pixel, true colour) into a
PNG file, so a screenshot of the real window can be looked at."""
import struct
import sys
import zlib


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def convert(src, dst):
    data = open(src, "rb").read()
    h = struct.unpack_from(">25I", data, 0)
    header_size, width, height = h[0], h[4], h[5]
    byte_order, bpp, bytes_per_line = h[7], h[11], h[12]
    masks = h[14:17]
    ncolors = h[19]
    if bpp not in (24, 32):
        raise SystemExit("unsupported dump: %d bits per pixel" % bpp)
    offset = header_size + ncolors * 12
    step = bpp // 8
    fmt = ("<" if byte_order == 0 else ">") + ("I" if step == 4 else "")
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        out = bytearray(b"\x00")
        for x in range(width):
            if step == 4:
                p = struct.unpack_from(fmt, line, x * 4)[0]
            else:
                b = line[x * 3: x * 3 + 3]
                p = int.from_bytes(b, "little" if byte_order == 0 else "big")
            out += bytes(((p & m) >> shift_of(m)) & 0xFF for m in masks)
        rows.append(bytes(out))

    def chunk(kind, body):
        c = struct.pack(">I", len(body)) + kind + body
        return c + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b"")
    open(dst, "wb").write(png)
    return width, height


if __name__ == "__main__":
    w, hgt = convert(sys.argv[1], sys.argv[2])
    print("%dx%d" % (w, hgt))
