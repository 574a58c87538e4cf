#!/usr/bin/env python3
"""Draws the product's pictures, icons and alert sound into resources/.

Everything is drawn from simple shapes here (no outside artwork), so the files
can be made again at any time:  python3 tools/draw_artwork.py
Pictures are 24-bit BMP files; a picture whose lower-left pixel is magenta
uses that colour as its transparent colour. The icon holds 16, 32 and 48
pixel images with an alpha channel. The sound is a short two-tone WAV chime.
"""
import math
import os
import struct
import wave

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")

NAVY = (18, 38, 78)
DEEP = (10, 22, 48)
TEAL = (0, 150, 160)
ORANGE = (240, 140, 30)
WHITE = (255, 255, 255)
RED = (200, 30, 30)
GREEN = (30, 160, 60)
GREY = (120, 130, 140)
KEY = (255, 0, 255)  # transparent colour


class Canvas:
    def __init__(self, w, h, fill=WHITE):
        self.w, self.h = w, h
        self.px = [[fill + (255,) for _ in range(w)] for _ in range(h)]

    def put(self, x, y, c, a=1.0):
        if 0 <= x < self.w and 0 <= y < self.h:
            old = self.px[y][x]
            if old[:3] == KEY:  # edges over the transparent colour blend with the white forms
                old = WHITE if a < 1 else old
            mix = tuple(int(old[i] * (1 - a) + c[i] * a) for i in range(3))
            self.px[y][x] = mix + (255,)

    def clear(self, x, y):
        self.px[y][x] = KEY + (0,)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.put(x, y, c)

    def gradient(self, first, last, horizontal=False):
        """Fills from the first colour (top or left) to the last (bottom or right)."""
        span = max(1, (self.w if horizontal else self.h) - 1)
        for y in range(self.h):
            for x in range(self.w):
                t = (x if horizontal else y) / span
                self.put(x, y, tuple(int(first[i] + (last[i] - first[i]) * t) for i in range(3)))

    def shape(self, inside, c, samples=3):
        """Fills where inside(x, y) holds, with edges smoothed by supersampling."""
        for y in range(self.h):
            for x in range(self.w):
                hits = sum(inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples)
                           for i in range(samples) for j in range(samples))
                if hits:
                    self.put(x, y, c, hits / samples ** 2)

    def disc(self, cx, cy, r, c):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c)

    def ring(self, cx, cy, r0, r1, c):
        self.shape(lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1, c)

    def polygon(self, pts, c):
        def inside(x, y):
            n, hit = len(pts), False
            for i in range(n):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
                if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                    hit = not hit
            return hit
        self.shape(inside, c)

    def line(self, x0, y0, x1, y1, width, c):
        def inside(x, y):
            dx, dy = x1 - x0, y1 - y0
            t = max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
            return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= (width / 2) ** 2
        self.shape(inside, c)

    def keyed(self):
        """Marks every untouched pixel transparent (magenta in a BMP)."""
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y][x][:3] == KEY:
                    self.clear(x, y)
        return self

    def save_bmp(self, name):
        row_pad = (4 - self.w * 3 % 4) % 4
        data = bytearray()
        for y in reversed(range(self.h)):
            for x in range(self.w):
                r, g, b, _ = self.px[y][x]
                data += bytes((b, g, r))
            data += b"\0" * row_pad
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(header + info + data)

    def icon_image(self):
        data = bytearray()
        for y in reversed(range(self.h)):
            for x in range(self.w):
                r, g, b, a = self.px[y][x]
                data += bytes((b, g, r, a))
        mask = b"\0" * (((self.w + 31) // 32) * 4 * self.h)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h * 2, 1, 32, 0, len(data) + len(mask), 0, 0, 0, 0)
        return info + data + mask


def shield_points(cx, top, w, h):
    """The product mark: a shield, flat on top, pointed at the bottom."""
    pts = [(cx - w / 2, top), (cx + w / 2, top)]
    for i in range(1, 11):
        t = i / 10
        pts.append((cx + w / 2 * (1 - t ** 1.6), top + h * 0.45 + h * 0.55 * t))
    for i in range(9, 0, -1):
        t = i / 10
        pts.append((cx - w / 2 * (1 - t ** 1.6), top + h * 0.45 + h * 0.55 * t))
    return pts


def draw_mark(c, cx, top, size):
    """Shield with a vane: a white 'T' whose bar is a swept wing."""
    c.polygon(shield_points(cx, top, size * 0.8, size), NAVY)
    c.polygon(shield_points(cx, top + size * 0.07, size * 0.66, size * 0.84), TEAL)
    bar = top + size * 0.28
    c.polygon([(cx - size * 0.26, bar), (cx + size * 0.3, bar - size * 0.06),
               (cx + size * 0.22, bar + size * 0.08), (cx - size * 0.26, bar + size * 0.1)], WHITE)
    c.rect(int(cx - size * 0.05), int(bar), int(cx + size * 0.06), int(top + size * 0.78), WHITE)
    c.disc(cx + size * 0.2, top + size * 0.2, size * 0.05, ORANGE)


def keyed_canvas(size):
    return Canvas(size, size, KEY)


def main_icon():
    images = []
    for size in (16, 32, 48):
        c = keyed_canvas(size)
        draw_mark(c, size / 2, size * 0.04, size * 0.94)
        images.append((size, c.keyed().icon_image()))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(blobs))
        blobs += blob
    with open(os.path.join(OUT, "torvane.ico"), "wb") as f:
        f.write(header + entries + blobs)


def waves(c, y0, amplitude, color, alpha, period):
    for x in range(c.w):
        y = y0 + amplitude * math.sin(x / period)
        for dy in range(3):
            c.put(x, int(y) + dy, color, alpha)


def about_picture():
    c = Canvas(500, 260)
    c.gradient((24, 52, 104), DEEP)
    for k in range(6):
        waves(c, 150 + k * 14, 10 + k * 2, TEAL, 0.25 + k * 0.05, 40 + k * 7)
    draw_mark(c, 400, 40, 150)
    c.rect(0, 210, 500, 212, ORANGE)
    c.save_bmp("about_picture.bmp")


def banner(name, w, h):
    c = Canvas(w, h)
    c.gradient(DEEP, (30, 70, 130), horizontal=True)
    for k in range(4):
        waves(c, h * 0.55 + k * 9, 6 + k, TEAL, 0.3, 30 + k * 9)
    draw_mark(c, 50, 14, 82)
    c.rect(0, h - 3, w, h, ORANGE)
    c.save_bmp(name)


def glyph(name, size, painter):
    c = keyed_canvas(size)
    painter(c, size)
    c.keyed().save_bmp(name)


def close_glyph(c, s):
    c.disc(s / 2, s / 2, s * 0.45, (60, 70, 90))
    c.line(s * 0.3, s / 2, s * 0.7, s / 2, s * 0.12, WHITE)  # reduce: a bar


def logo_glyph(c, s):
    draw_mark(c, s / 2, 0.5, s - 1)


def power_glyph(color):
    def paint(c, s):
        c.disc(s / 2, s / 2, s * 0.46, color)
        c.ring(s / 2, s / 2, s * 0.22, s * 0.3, WHITE)
        c.rect(int(s * 0.45), int(s * 0.15), int(s * 0.56), int(s * 0.5), color)
        c.line(s / 2, s * 0.18, s / 2, s * 0.48, s * 0.1, WHITE)
    return paint


def play_glyph(color):
    def paint(c, s):
        c.disc(s / 2, s / 2, s * 0.46, color)
        c.polygon([(s * 0.38, s * 0.28), (s * 0.72, s * 0.5), (s * 0.38, s * 0.72)], WHITE)
    return paint


def bars_glyph(c, s):  # traffic
    for i, h in enumerate((0.35, 0.6, 0.45, 0.85)):
        c.rect(int(s * (0.12 + i * 0.2)), int(s * (0.92 - h)), int(s * (0.27 + i * 0.2)), int(s * 0.92), TEAL)
    c.rect(int(s * 0.06), int(s * 0.92), int(s * 0.94), int(s * 0.96), NAVY)


def gear_glyph(c, s):  # configuration
    for k in range(8):
        a = k * math.pi / 4
        c.line(s / 2, s / 2, s / 2 + math.cos(a) * s * 0.42, s / 2 + math.sin(a) * s * 0.42, s * 0.16, NAVY)
    c.disc(s / 2, s / 2, s * 0.3, NAVY)
    c.disc(s / 2, s / 2, s * 0.13, KEY)


def list_glyph(c, s):  # rules
    c.rect(int(s * 0.15), int(s * 0.08), int(s * 0.85), int(s * 0.92), WHITE)
    for i in range(4):
        y = int(s * (0.2 + i * 0.18))
        c.rect(int(s * 0.24), y, int(s * 0.34), y + max(1, int(s * 0.08)), GREEN if i % 2 == 0 else RED)
        c.rect(int(s * 0.4), y, int(s * 0.76), y + max(1, int(s * 0.08)), NAVY)
    c.rect(int(s * 0.15), int(s * 0.08), int(s * 0.85), int(s * 0.11), NAVY)


def help_glyph(c, s):
    c.disc(s / 2, s / 2, s * 0.46, TEAL)
    c.ring(s / 2, s * 0.38, s * 0.1, s * 0.2, WHITE)
    c.rect(int(s * 0.3), int(s * 0.38), int(s * 0.5), int(s * 0.52), TEAL)
    c.rect(int(s * 0.45), int(s * 0.52), int(s * 0.56), int(s * 0.66), WHITE)
    c.disc(s / 2, s * 0.78, s * 0.06, WHITE)


def screen_glyph(c, s):  # network monitor
    c.rect(int(s * 0.08), int(s * 0.12), int(s * 0.92), int(s * 0.72), NAVY)
    c.rect(int(s * 0.14), int(s * 0.18), int(s * 0.86), int(s * 0.66), TEAL)
    waves_local = [(s * (0.16 + i * 0.1), s * (0.42 + 0.12 * math.sin(i * 1.3))) for i in range(8)]
    for (x0, y0), (x1, y1) in zip(waves_local, waves_local[1:]):
        c.line(x0, y0, x1, y1, s * 0.05, WHITE)
    c.rect(int(s * 0.4), int(s * 0.72), int(s * 0.6), int(s * 0.82), NAVY)
    c.rect(int(s * 0.25), int(s * 0.82), int(s * 0.75), int(s * 0.88), NAVY)


def window_glyph(c, s):  # program monitor
    c.rect(int(s * 0.1), int(s * 0.15), int(s * 0.9), int(s * 0.85), NAVY)
    c.rect(int(s * 0.15), int(s * 0.28), int(s * 0.85), int(s * 0.8), WHITE)
    for i in range(3):
        y = int(s * (0.36 + i * 0.14))
        c.rect(int(s * 0.22), y, int(s * 0.78), y + max(1, int(s * 0.06)), TEAL)


def plug_glyph(c, s):  # ports
    c.ring(s / 2, s / 2, s * 0.3, s * 0.44, NAVY)
    for i in range(4):
        a = i * math.pi / 2 + math.pi / 4
        c.disc(s / 2 + math.cos(a) * s * 0.15, s / 2 + math.sin(a) * s * 0.15, s * 0.07, TEAL)


def journal_glyph(c, s):
    c.rect(int(s * 0.18), int(s * 0.08), int(s * 0.82), int(s * 0.92), (250, 240, 200))
    c.rect(int(s * 0.18), int(s * 0.08), int(s * 0.82), int(s * 0.16), ORANGE)
    for i in range(4):
        y = int(s * (0.28 + i * 0.15))
        c.rect(int(s * 0.26), y, int(s * 0.74), y + max(1, int(s * 0.05)), GREY)
    c.polygon([(s * 0.62, s * 0.55), (s * 0.92, s * 0.95), (s * 0.32, s * 0.95)], RED)
    c.rect(int(s * 0.6), int(s * 0.68), int(s * 0.64), int(s * 0.84), WHITE)


def info_glyph(c, s):  # about
    c.disc(s / 2, s / 2, s * 0.46, NAVY)
    c.disc(s / 2, s * 0.28, s * 0.07, WHITE)
    c.rect(int(s * 0.44), int(s * 0.42), int(s * 0.57), int(s * 0.78), WHITE)


def compass_glyph(c, s):  # discover
    c.disc(s / 2, s / 2, s * 0.46, TEAL)
    c.polygon([(s * 0.5, s * 0.12), (s * 0.6, s * 0.5), (s * 0.5, s * 0.88), (s * 0.4, s * 0.5)], WHITE)
    c.polygon([(s * 0.5, s * 0.12), (s * 0.6, s * 0.5), (s * 0.4, s * 0.5)], ORANGE)


def book_glyph(c, s):  # all about a firewall
    c.rect(int(s * 0.12), int(s * 0.15), int(s * 0.49), int(s * 0.85), NAVY)
    c.rect(int(s * 0.51), int(s * 0.15), int(s * 0.88), int(s * 0.85), NAVY)
    c.rect(int(s * 0.16), int(s * 0.19), int(s * 0.47), int(s * 0.81), WHITE)
    c.rect(int(s * 0.53), int(s * 0.19), int(s * 0.84), int(s * 0.81), WHITE)
    draw_mark(c, s * 0.68, s * 0.3, s * 0.4)


def update_glyph(c, s):
    c.ring(s / 2, s / 2, s * 0.26, s * 0.4, GREEN)
    c.rect(int(s * 0.5), int(s * 0.05), int(s * 0.95), int(s * 0.5), KEY)
    c.polygon([(s * 0.5, s * 0.02), (s * 0.78, s * 0.17), (s * 0.5, s * 0.32)], GREEN)
    c.line(s / 2, s * 0.35, s / 2, s * 0.66, s * 0.1, NAVY)
    c.polygon([(s * 0.36, s * 0.6), (s * 0.64, s * 0.6), (s * 0.5, s * 0.76)], NAVY)


def alert_sound():
    """A short two-tone chime: 0.45 s, 22050 Hz, 16-bit mono."""
    rate = 22050
    frames = bytearray()
    for n in range(int(rate * 0.45)):
        t = n / rate
        tone = 880 if t < 0.18 else 1320
        start = 0 if t < 0.18 else 0.18
        envelope = math.exp(-(t - start) * 9) * min(1, (t - start) * 400)
        value = int(12000 * envelope * math.sin(2 * math.pi * tone * t))
        frames += struct.pack("<h", value)
    with wave.open(os.path.join(OUT, "torvane.001"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


def main():
    os.makedirs(OUT, exist_ok=True)
    main_icon()
    about_picture()
    banner("banner_message.bmp", 477, 110)
    banner("banner_wide.bmp", 899, 110)
    glyph("reduit_fenetre.bmp", 24, close_glyph)
    glyph("logo.bmp", 24, logo_glyph)
    glyph("icon_stop.bmp", 16, power_glyph(RED))
    glyph("icon_start.bmp", 16, play_glyph(GREEN))
    glyph("bouton_arret.bmp", 48, power_glyph(RED))
    glyph("bouton_redemarrage.bmp", 48, play_glyph(GREEN))
    for name, painter in (("tab_trafic", bars_glyph), ("tab_configuration", gear_glyph), ("tab_regles", list_glyph),
                          ("tab_aide", help_glyph), ("link_monitoring_reseau", screen_glyph),
                          ("link_monitoring_programmes", window_glyph), ("link_ports", plug_glyph),
                          ("link_journal", journal_glyph), ("link_about", info_glyph),
                          ("link_decouvrir", compass_glyph), ("link_firewall", book_glyph),
                          ("link_mise_a_jour", update_glyph)):
        glyph(name + ".bmp", 32, painter)
    alert_sound()


if __name__ == "__main__":
    main()
