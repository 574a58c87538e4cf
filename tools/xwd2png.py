#!/usr/bin/env python3
"""Converts an X window dump (xwd, ZPixmap, 24 or 32 bits per pixel) to PNG
with the standard library only:  xwd -id WINDOW | xwd2png.py OUT.png"""
import struct
import sys
import zlib


def read_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size, _version, pixmap_format, _depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    ncolors = fields[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise SystemExit("xwd2png: only ZPixmap at 24 or 32 bits per pixel")
    pixels = data[header_size + ncolors * 12:]
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    shifts = [shift(m) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
        row = bytearray([0])  # filter: none
        for x in range(width):
            chunk = line[x * step:(x + 1) * step]
            value = struct.unpack(order + "I", chunk + b"\0" * (4 - step) if order == "<" else b"\0" * (4 - step) + chunk)[0]
            row += bytes(((value >> s) & 0xFF) for s in shifts)
        rows.append(bytes(row))
    return width, height, b"".join(rows)


def png(width, height, raw):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    width, height, raw = read_xwd(sys.stdin.buffer.read())
    with open(sys.argv[1], "wb") as out:
        out.write(png(width, height, raw))


if __name__ == "__main__":
    main()
