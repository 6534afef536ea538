#!/usr/bin/env python3
"""Build Vireo's icons and cursor from the text pictures in res/art/.

    python3 tools/make_art.py           write the files into res/
    python3 tools/make_art.py --check   read the written files back and check them

Standard library only, and byte-for-byte the same output on every run, so the
generated files can be kept in the repository next to their sources.
"""

import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART = os.path.join(ROOT, "res", "art")
RES = os.path.join(ROOT, "res")

# The 16 standard VGA colours in palette order. Lower case is the dark half,
# upper case the bright half; k/K and w/W are black/dark grey and
# light grey/white, the VGA pairs that have no hue.
PALETTE = [
    ("k", (0x00, 0x00, 0x00)),  # 0 black
    ("r", (0x80, 0x00, 0x00)),  # 1 dark red
    ("g", (0x00, 0x80, 0x00)),  # 2 dark green
    ("y", (0x80, 0x80, 0x00)),  # 3 olive
    ("b", (0x00, 0x00, 0x80)),  # 4 navy
    ("m", (0x80, 0x00, 0x80)),  # 5 purple
    ("c", (0x00, 0x80, 0x80)),  # 6 teal
    ("w", (0xC0, 0xC0, 0xC0)),  # 7 light grey
    ("K", (0x80, 0x80, 0x80)),  # 8 dark grey
    ("R", (0xFF, 0x00, 0x00)),  # 9 red
    ("G", (0x00, 0xFF, 0x00)),  # 10 green
    ("Y", (0xFF, 0xFF, 0x00)),  # 11 yellow
    ("B", (0x00, 0x00, 0xFF)),  # 12 blue
    ("M", (0xFF, 0x00, 0xFF)),  # 13 magenta
    ("C", (0x00, 0xFF, 0xFF)),  # 14 cyan
    ("W", (0xFF, 0xFF, 0xFF)),  # 15 white
]
CLEAR = "."
INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}

# Monochrome images know only black, white and clear.
MONO_PALETTE = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]
MONO_INDEX = {"k": 0, "W": 1}

# The sizes a picture is drawn at, each for itself: the small-icon size
# (16, 20, 24 at 100, 125 and 150 %; 32 at 200 %) and the icon size (32,
# 40, 48), so that the system never has to scale one from another.
SIZES = (48, 40, 32, 24, 20, 16)
# The about box shows its picture only at the icon size.
ICON_SIZES = (48, 40, 32)


def drawn(name, sizes):
    return ["%s-%d.txt" % (name, size) for size in sizes]


# What is written: file, resource number (for the reader), the pictures it
# holds, and for a cursor its hot spot.
ICONS = [
    ("idle.ico", 128, drawn("idle", SIZES)),
    ("playing.ico", 129, drawn("playing", SIZES)),
    ("paused.ico", 130, drawn("paused", SIZES)),
    ("about.ico", 135, drawn("about", ICON_SIZES)),
    ("program.ico", 136, drawn("program", SIZES)),
]
# The program's picture as Windows' media controls and notifications name
# it (IconUri): an image file, shipped beside vireo.exe as vireo.png.
PNGS = [
    ("program.png", "program-48.txt"),
]
# A cursor's pictures each name their own hot spot; the 48 is for 150 %,
# where the cursor size is 48.
CURSORS = [
    ("linkhand.cur", 115, [("linkhand-32.txt", (5, 0)), ("linkhand-48.txt", (7, 0))]),
]


class ArtError(Exception):
    pass


def read_picture(name, allowed):
    """The grid of a source file as a list of equal-length strings.
    Lines starting with '#' are comments; blank lines are ignored."""
    path = os.path.join(ART, name)
    with open(path, "r", encoding="ascii") as f:
        lines = f.read().splitlines()
    rows = [ln.rstrip() for ln in lines if ln.strip() and not ln.startswith("#")]
    if not rows:
        raise ArtError("%s: no picture" % name)
    width = len(rows[0])
    for n, row in enumerate(rows, 1):
        if len(row) != width:
            raise ArtError("%s: row %d is %d wide, not %d" % (name, n, len(row), width))
        for ch in row:
            if ch != CLEAR and ch not in allowed:
                raise ArtError("%s: row %d: '%s' is not in the legend" % (name, n, ch))
    if width != len(rows) or width not in SIZES:
        raise ArtError("%s: %dx%d; pictures are square, %s pixels" % (name, width, len(rows), SIZES))
    declared = name.rsplit("-", 1)[-1].split(".")[0]
    if declared != str(width):
        raise ArtError("%s: the name says %s, the picture is %d wide" % (name, declared, width))
    return rows


def row_bytes(width, bpp):
    # DIB rows are padded to whole 32-bit words.
    return ((width * bpp + 31) // 32) * 4


def pack_rows(rows, bpp, value):
    """Bottom-up packed rows; value(ch) gives each pixel's bits."""
    out = bytearray()
    per_byte = 8 // bpp
    stride = row_bytes(len(rows[0]), bpp)
    for row in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(row):
            shift = 8 - bpp * (x % per_byte + 1)
            line[x // per_byte] |= value(ch) << shift
        out += line
    return bytes(out)


def dib(rows, bpp):
    """One image of an icon or cursor file: header, colour table, XOR then AND mask."""
    size = len(rows)
    if bpp == 4:
        palette = [rgb for _, rgb in PALETTE]
        index = INDEX
    else:
        palette = MONO_PALETTE
        index = MONO_INDEX
    # A clear pixel is black in the XOR mask so the screen shows through unchanged.
    xor = pack_rows(rows, bpp, lambda ch: 0 if ch == CLEAR else index[ch])
    and_mask = pack_rows(rows, 1, lambda ch: 1 if ch == CLEAR else 0)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(and_mask), 0, 0, len(palette), 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + xor + and_mask


def container(kind, images):
    """kind 1 = icon, 2 = cursor; images = [(size, bpp, hotspot or None, dib)]."""
    head = struct.pack("<HHH", 0, kind, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    body = b""
    for size, bpp, hotspot, data in images:
        colours = 1 << bpp if bpp < 8 else 0
        if kind == 1:
            field1, field2 = 1, bpp
        else:
            field1, field2 = hotspot
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0,
                               field1, field2, len(data), offset + len(body))
        body += data
    return head + entries + body


def png(rows):
    """An 8-bit RGBA PNG, clear pixels fully transparent."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for ch in row:
            raw += bytes(4) if ch == CLEAR else bytes(PALETTE[INDEX[ch]][1]) + b"\xff"
    size = len(rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def build():
    colour = set(INDEX)
    written = []
    for out, src in PNGS:
        written.append((out, png(read_picture(src, colour))))
    for out, _, sources in ICONS:
        images = []
        for src in sources:
            rows = read_picture(src, colour)
            images.append((len(rows), 4, None, dib(rows, 4)))
        written.append((out, container(1, images)))
    for out, _, pictures in CURSORS:
        images = []
        for src, hotspot in pictures:
            rows = read_picture(src, set(MONO_INDEX))
            x, y = hotspot
            if rows[y][x] == CLEAR:
                raise ArtError("%s: the hot spot %d,%d is on a clear pixel" % (src, x, y))
            images.append((len(rows), 1, hotspot, dib(rows, 1)))
        written.append((out, container(2, images)))
    for out, data in written:
        with open(os.path.join(RES, out), "wb") as f:
            f.write(data)
        print("wrote res/%s (%d bytes)" % (out, len(data)))


# ---- reading back -------------------------------------------------------

def decode(data, kind):
    """The images of an icon or cursor file as dicts, checking every field
    that the resource compiler and the system rely on."""
    def need(cond, what):
        if not cond:
            raise ArtError(what)

    need(len(data) >= 6, "shorter than its header")
    reserved, typ, count = struct.unpack_from("<HHH", data, 0)
    need(reserved == 0 and typ == kind, "type %d, expected %d" % (typ, kind))
    need(count >= 1 and len(data) >= 6 + 16 * count, "bad image count %d" % count)
    images = []
    end_of_last = 6 + 16 * count
    for i in range(count):
        w, h, colours, res0, f1, f2, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        need(res0 == 0, "image %d: reserved byte set" % i)
        need(offset == end_of_last, "image %d: not packed after the one before" % i)
        need(offset + length <= len(data), "image %d runs past the end" % i)
        blob = data[offset:offset + length]
        end_of_last = offset + length
        (hsize, bw, bh, planes, bpp, comp, image_size, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", blob, 0)
        need(hsize == 40, "image %d: header size %d" % (i, hsize))
        need(planes == 1 and comp == 0, "image %d: planes %d, compression %d" % (i, planes, comp))
        need(bw == (w or 256) and bh == 2 * bw, "image %d: %dx%d in a %dx%d entry" % (i, bw, bh, w, h))
        need(w == h, "image %d is not square" % i)
        ncolours = used or (1 << bpp)
        need(colours == (1 << bpp), "image %d: entry says %d colours for %d bpp" % (i, colours, bpp))
        if kind == 1:
            need(f1 == 1 and f2 == bpp, "image %d: entry planes/bpp %d/%d" % (i, f1, f2))
        xor_len = row_bytes(bw, bpp) * bw
        and_len = row_bytes(bw, 1) * bw
        table_len = 4 * ncolours
        need(image_size == xor_len + and_len, "image %d: size field %d" % (i, image_size))
        need(length == 40 + table_len + xor_len + and_len, "image %d: %d bytes" % (i, length))
        table = [tuple(blob[40 + 4 * n:43 + 4 * n][::-1]) for n in range(ncolours)]
        xor = blob[40 + table_len:40 + table_len + xor_len]
        and_mask = blob[40 + table_len + xor_len:]

        def pixel(buf, x, y, depth):
            stride = row_bytes(bw, depth)
            per_byte = 8 // depth
            byte = buf[(bw - 1 - y) * stride + x // per_byte]
            return (byte >> (8 - depth * (x % per_byte + 1))) & ((1 << depth) - 1)

        grid = []
        for y in range(bw):
            line = []
            for x in range(bw):
                clear = pixel(and_mask, x, y, 1)
                value = pixel(xor, x, y, bpp)
                need(not clear or value == 0, "image %d: clear pixel %d,%d is not black in the XOR mask" % (i, x, y))
                line.append(None if clear else table[value])
            grid.append(line)
        images.append({"size": bw, "bpp": bpp, "hotspot": (f1, f2), "palette": table, "pixels": grid})
    need(end_of_last == len(data), "bytes after the last image")
    return images


def check():
    """Every file is there, shaped as the resources expect, and shows exactly
    its source pictures."""
    problems = []
    vga = [rgb for _, rgb in PALETTE]
    colour_of = dict(PALETTE)
    colour_of.update({"k": MONO_PALETTE[0], "W": MONO_PALETTE[1]})

    def compare(name, image, src, bpp):
        rows = read_picture(src, set(INDEX))
        if image["size"] != len(rows) or image["bpp"] != bpp:
            problems.append("%s: image is %dx%d at %d bpp, %s is %d wide at %d bpp"
                            % (name, image["size"], image["size"], image["bpp"], src, len(rows), bpp))
            return
        for y, row in enumerate(rows):
            for x, ch in enumerate(row):
                want = None if ch == CLEAR else colour_of[ch]
                if image["pixels"][y][x] != want:
                    problems.append("%s: pixel %d,%d differs from %s" % (name, x, y, src))
                    return

    for out, _, sources in ICONS:
        try:
            with open(os.path.join(RES, out), "rb") as f:
                images = decode(f.read(), 1)
        except (OSError, ArtError) as e:
            problems.append("%s: %s" % (out, e))
            continue
        if len(images) != len(sources):
            problems.append("%s: %d images, expected %d" % (out, len(images), len(sources)))
            continue
        for image, src in zip(images, sources):
            if image["palette"] != vga:
                problems.append("%s: colour table is not the VGA palette" % out)
            compare(out, image, src, 4)

    for out, _, pictures in CURSORS:
        try:
            with open(os.path.join(RES, out), "rb") as f:
                images = decode(f.read(), 2)
        except (OSError, ArtError) as e:
            problems.append("%s: %s" % (out, e))
            continue
        if len(images) != len(pictures):
            problems.append("%s: %d images, expected %d" % (out, len(images), len(pictures)))
            continue
        for image, (src, hotspot) in zip(images, pictures):
            if image["hotspot"] != hotspot:
                problems.append("%s: hot spot %s, expected %s" % (out, image["hotspot"], hotspot))
            compare(out, image, src, 1)
            x, y = hotspot
            # The hot spot is the fingertip: drawn, and nothing drawn above it.
            if image["pixels"][y][x] is None or any(image["pixels"][r][x] is not None for r in range(y)):
                problems.append("%s: the hot spot of %s is not the top of the drawing" % (out, src))

    for p in problems:
        print("FAIL " + p)
    if not problems:
        print("all %d files check out" % (len(ICONS) + len(CURSORS)))
    return not problems


def main(argv):
    try:
        if argv[1:] == ["--check"]:
            return 0 if check() else 1
        if argv[1:]:
            print(__doc__.strip())
            return 2
        build()
        return 0
    except (OSError, ArtError) as e:
        print("make_art: %s" % e, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
