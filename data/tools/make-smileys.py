#!/usr/bin/env python3
"""Draws the smiley pictures of data/WebPages/Images: 19x19 GIF files with a transparent background, plus one
"SmileN.dat" per picture (line 1: the code typed in messages, line 2: the hint of the picker).

Run from anywhere: python3 data/tools/make-smileys.py
"""
import math
import os
import struct

SIZE = 19
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "WebPages", "Images")

# palette index: colour
T, K, Y, W, R, B, P, D = range(8)
PALETTE = [
    (255, 0, 255),   # transparent
    (40, 30, 0),     # outline and features
    (255, 214, 40),  # face
    (255, 255, 255), # eyes, teeth
    (200, 20, 20),   # mouth, tongue, anger
    (60, 140, 240),  # tears
    (255, 130, 150), # cheeks, lips
    (20, 20, 40),    # glasses
]


def blank_face(colour=Y):
    img = [[T] * SIZE for _ in range(SIZE)]
    c = (SIZE - 1) / 2
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - c, y - c)
            if d <= 8.6:
                img[y][x] = K if d > 7.6 else colour
    return img


def put(img, points, colour):
    for x, y in points:
        if 0 <= x < SIZE and 0 <= y < SIZE:
            img[y][x] = colour


def eyes(img, kind="dot"):
    if kind == "dot":
        put(img, [(6, 6), (6, 7), (12, 6), (12, 7)], K)
    elif kind == "wink":
        put(img, [(6, 6), (6, 7)], K)
        put(img, [(11, 7), (12, 7), (13, 7)], K)
    elif kind == "wide":
        put(img, [(5, 5), (6, 5), (5, 6), (6, 6), (12, 5), (13, 5), (12, 6), (13, 6)], W)
        put(img, [(6, 6), (12, 6)], K)
    elif kind == "closed":
        put(img, [(5, 7), (6, 7), (7, 7), (11, 7), (12, 7), (13, 7)], K)
    elif kind == "happy":
        put(img, [(5, 7), (6, 6), (7, 7), (11, 7), (12, 6), (13, 7)], K)
    elif kind == "angry":
        put(img, [(5, 5), (6, 6), (13, 5), (12, 6), (6, 7), (12, 7)], K)
    elif kind == "glasses":
        put(img, [(x, y) for x in range(4, 9) for y in (6, 7)] + [(x, y) for x in range(10, 15) for y in (6, 7)], D)
        put(img, [(9, 6)], D)
    elif kind == "nerd":
        for cx in (6, 12):
            put(img, [(cx - 2, 5), (cx - 1, 4), (cx, 4), (cx + 1, 4), (cx + 2, 5), (cx - 2, 7), (cx + 2, 7),
                      (cx - 1, 8), (cx, 8), (cx + 1, 8)], K)
            put(img, [(cx, 6)], K)
        put(img, [(9, 5)], K)
    elif kind == "x":
        for cx in (6, 12):
            put(img, [(cx - 1, 5), (cx + 1, 5), (cx, 6), (cx - 1, 7), (cx + 1, 7)], K)


def mouth(img, kind="smile"):
    if kind == "smile":
        put(img, [(5, 11), (6, 12), (7, 13), (8, 13), (9, 13), (10, 13), (11, 13), (12, 12), (13, 11)], K)
    elif kind == "grin":
        put(img, [(x, 11) for x in range(5, 14)], K)
        put(img, [(x, 12) for x in range(6, 13)], W)
        put(img, [(5, 12), (13, 12), (6, 13), (12, 13)] + [(x, 14) for x in range(7, 12)], K)
        put(img, [(x, 13) for x in range(7, 12)], R)
    elif kind == "sad":
        put(img, [(5, 14), (6, 13), (7, 12), (8, 12), (9, 12), (10, 12), (11, 12), (12, 13), (13, 14)], K)
    elif kind == "flat":
        put(img, [(x, 12) for x in range(6, 13)], K)
    elif kind == "o":
        put(img, [(8, 11), (9, 11), (10, 11), (7, 12), (11, 12), (7, 13), (11, 13), (8, 14), (9, 14), (10, 14)], K)
        put(img, [(8, 12), (9, 12), (10, 12), (8, 13), (9, 13), (10, 13)], R)
    elif kind == "tongue":
        put(img, [(x, 11) for x in range(5, 14)], K)
        put(img, [(8, 12), (9, 12), (10, 12), (8, 13), (9, 13), (10, 13), (9, 14)], R)
    elif kind == "kiss":
        put(img, [(8, 11), (9, 11), (8, 13), (9, 13), (10, 12)], P)
        put(img, [(9, 12)], K)
    elif kind == "wavy":
        put(img, [(5, 12), (6, 11), (7, 12), (8, 13), (9, 12), (10, 11), (11, 12), (12, 13), (13, 12)], K)
    elif kind == "skeptical":
        put(img, [(6, 13), (7, 13), (8, 12), (9, 12), (10, 12), (11, 11), (12, 11)], K)
    elif kind == "sealed":
        put(img, [(x, 12) for x in range(6, 13)], K)
        put(img, [(7, 11), (7, 13), (9, 11), (9, 13), (11, 11), (11, 13)], K)
    elif kind == "laugh":
        put(img, [(x, 10) for x in range(5, 14)], K)
        for y, (a, b) in zip(range(11, 15), [(5, 13), (6, 12), (7, 11), (8, 10)]):
            put(img, [(a, y), (b, y)], K)
            put(img, [(x, y) for x in range(a + 1, b)], R)


def face(eye, mouth_kind, extra=None, colour=Y):
    img = blank_face(colour)
    eyes(img, eye)
    mouth(img, mouth_kind)
    if extra:
        extra(img)
    return img


def tears(img):
    put(img, [(5, 8), (5, 9), (4, 10), (13, 8), (13, 9), (14, 10)], B)


def cheeks(img):
    put(img, [(3, 9), (4, 9), (3, 10), (4, 10), (14, 9), (15, 9), (14, 10), (15, 10)], P)


def halo(img):
    for x in range(5, 14):
        if img[0][x] == T:
            img[0][x] = B
    put(img, [(4, 1), (14, 1)], B)


def horns(img):
    put(img, [(3, 0), (3, 1), (4, 2), (15, 0), (15, 1), (14, 2)], R)


def zzz(img):
    put(img, [(14, 0), (15, 0), (16, 0), (15, 1), (14, 2), (15, 2), (16, 2)], B)


def sweat(img):
    put(img, [(14, 3), (14, 4), (15, 4)], B)


def brows(img):
    put(img, [(5, 4), (6, 4), (12, 3), (13, 4)], K)


# (picture number, code, hint, picture)
SMILEYS = [
    (1, ":)", "Smile", lambda: face("dot", "smile")),
    (2, ";)", "Wink", lambda: face("wink", "smile")),
    (3, "=)", "Happy", lambda: face("happy", "smile")),
    (4, ":o", "Surprised", lambda: face("wide", "o")),
    (5, ":|", "Straight face", lambda: face("dot", "flat")),
    (6, ":-D", "Big grin", lambda: face("happy", "grin")),
    (7, "8)", "Cool", lambda: face("glasses", "smile")),
    (8, ":'(", "Crying", lambda: face("closed", "sad", tears)),
    (9, ":*", "Kiss", lambda: face("closed", "kiss", cheeks)),
    (10, ":@", "Angry", lambda: face("angry", "sad", colour=R)),
    (11, ":$", "Embarrassed", lambda: face("dot", "wavy", cheeks)),
    (12, "O:)", "Angel", lambda: face("happy", "smile", halo)),
    (13, "(devil)", "Devil", lambda: face("angry", "grin", horns)),
    (14, ":S", "Confused", lambda: face("dot", "wavy", brows)),
    (15, "|-)", "Sleepy", lambda: face("closed", "flat", zzz)),
    (16, ":-/", "Skeptical", lambda: face("dot", "skeptical")),
    (17, "(sweat)", "Phew", lambda: face("closed", "smile", sweat)),
    (18, "^_^", "Joy", lambda: face("happy", "laugh")),
    (19, ":-x", "My lips are sealed", lambda: face("dot", "sealed")),
    (20, "(nerd)", "Nerd", lambda: face("nerd", "grin")),
    (21, "(lol)", "Laughing", lambda: face("closed", "laugh", tears)),
    (22, "X-(", "Knocked out", lambda: face("x", "o")),
    (31, ":(", "Sad", lambda: face("dot", "sad")),
    (130, ":-P", "Tongue out", lambda: face("wink", "tongue")),
]


def lzw_codes(pixels, min_code_size):
    # Every pixel is sent as its own code with a clear code every few pixels, so the code width never grows:
    # simple, valid GIF data, and small enough for 19x19 pictures.
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    codes = []
    for i, p in enumerate(pixels):
        if i % 5 == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(end)
    return codes


def pack(codes, width):
    out, acc, bits = bytearray(), 0, 0
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif(img):
    min_code_size = 3
    data = pack(lzw_codes([p for row in img for p in row], min_code_size), min_code_size + 1)
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", SIZE, SIZE, 0x80 | (2 << 4) | 2, 0, 0)
    for r, g, b in PALETTE:
        out += bytes((r, g, b))
    out += bytes((0x21, 0xF9, 4, 0x01, 0, 0, T, 0))  # transparent index T
    out += b"\x2C" + struct.pack("<HHHHB", 0, 0, SIZE, SIZE, 0)
    out.append(min_code_size)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out += b"\x00\x3B"
    return bytes(out)


def main():
    os.makedirs(OUT, exist_ok=True)
    for number, code, hint, draw in SMILEYS:
        with open(os.path.join(OUT, "Smile%d.gif" % number), "wb") as f:
            f.write(gif(draw()))
        with open(os.path.join(OUT, "Smile%d.dat" % number), "wb") as f:
            f.write(code.encode("cp1252") + b"\r\n" + hint.encode("cp1252") + b"\r\n")


if __name__ == "__main__":
    main()
