"""Small real media files with titles, in many folders, for the benchmark of
reading titles and lengths: short waves with LIST/INFO texts (half before
their data, half after it) and MP3s made by lame with ID3 tags (half of
them longer than the reader's 64 KiB head, so their ID3v1 tag is read
apart). make_media.py calls make(); paths come back as Windows sees them.

WORK/titles/Album NNN/...   FOLDERS folders of FILES_PER_FOLDER files
"""
import math
import os
import shutil
import struct
import subprocess
import tempfile

FOLDERS = 100
FILES_PER_FOLDER = 100
MP3S_PER_FOLDER = 20
WAVE_RATE = 8000            # 8-bit mono: a byte a sample
MP3_RATE = 44100
MP3_KBPS = 64
# lame encodes each length once; every MP3 is one of these with its own
# title written over the placeholder, which has the width of every title.
MP3_SECONDS = (2, 3, 4, 5, 6, 9, 10, 12, 14, 16)
PLACEHOLDER = "Song 00000"
ARTIST_PLACEHOLDER = "Pool 0000"
FILETIME_EPOCH = 116444736000000000   # 1601 to 1970 in 100 ns units


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def chunk(tag, body):
    return tag + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def info_list(title, artist):
    return chunk(b"LIST", b"INFO" + chunk(b"INAM", title.encode() + b"\0") + chunk(b"IART", artist.encode() + b"\0"))


def wave_bytes(tone, ms, title, artist, info_first):
    data = chunk(b"data", tone[:WAVE_RATE * ms // 1000])
    fmt = chunk(b"fmt ", struct.pack("<HHIIHH", 1, 1, WAVE_RATE, WAVE_RATE, 1, 8))
    info = info_list(title, artist)
    body = b"WAVE" + fmt + (info + data if info_first else data + info)
    return chunk(b"RIFF", body)


def encode_pool(folder):
    """One lame encode per length, tagged with the placeholder title."""
    pool = []
    for seconds in MP3_SECONDS:
        n = MP3_RATE * seconds
        samples = struct.pack("<%dh" % n, *(int(6000 * math.sin(2 * math.pi * 330 * i / MP3_RATE)) for i in range(n)))
        wave = os.path.join(folder, "pool.wav")
        with open(wave, "wb") as f:
            f.write(chunk(b"RIFF", b"WAVE" + chunk(b"fmt ", struct.pack("<HHIIHH", 1, 1, MP3_RATE, MP3_RATE * 2, 2, 16))
                          + chunk(b"data", samples)))
        mp3 = os.path.join(folder, "pool%02d.mp3" % seconds)
        subprocess.run(["lame", "--quiet", "-b", str(MP3_KBPS), "-m", "m", "--tt", PLACEHOLDER, "--ta", ARTIST_PLACEHOLDER,
                        wave, mp3], check=True)
        with open(mp3, "rb") as f:
            pool.append(f.read())
    return pool


def mp3_length_ms(mp3):
    """What the reader makes of lame's Info frame: its frames less the
    encoder's delay and padding (mono MPEG-1 layer III after an ID3v2 tag)."""
    size = mp3[6] << 21 | mp3[7] << 14 | mp3[8] << 7 | mp3[9]
    frame = 10 + size
    xing = frame + 4 + 17
    assert mp3[xing:xing + 4] in (b"Xing", b"Info")
    flags, frames = struct.unpack(">II", mp3[xing + 4:xing + 12])
    assert flags & 1
    lame = xing + 8 + sum((4, 4, 100, 4)[i] for i in range(4) if flags & (1 << i))
    assert mp3[lame:lame + 4] == b"LAME"
    added = int.from_bytes(mp3[lame + 21:lame + 24], "big")
    return (frames * 1152 - (added >> 12) - (added & 0xFFF)) * 1000 // MP3_RATE


def retitled(mp3, title, artist):
    """The title and artist over the placeholders, in the ID3v2 tag's UTF-16 and ID3v1's Latin-1."""
    out = mp3
    for old, new in ((PLACEHOLDER, title), (ARTIST_PLACEHOLDER, artist)):
        assert len(old) == len(new)
        for code in ("utf-16-le", "latin-1"):
            assert out.count(old.encode(code)) == 1, (old, code)
            out = out.replace(old.encode(code), new.encode(code))
    return out


def make(work):
    """Writes the files; returns one record per file, in list order:
    (path as Windows sees it, kind word, title shown, artist, length ms or -1, size, FILETIME)."""
    root = os.path.join(work, "titles")
    if os.path.exists(root):
        shutil.rmtree(root)
    os.makedirs(root)
    with tempfile.TemporaryDirectory() as scratch:
        pool = encode_pool(scratch)
    tone = bytes(128 + int(60 * math.sin(2 * math.pi * 440 * i / WAVE_RATE)) for i in range(WAVE_RATE * 4))
    records = []
    for folder in range(FOLDERS):
        album = os.path.join(root, "Album %03d" % folder)
        os.makedirs(album)
        artist = "Band %04d" % folder
        for track in range(FILES_PER_FOLDER):
            number = folder * FILES_PER_FOLDER + track
            title = "Song %05d" % number
            if track < MP3S_PER_FOLDER:
                path = os.path.join(album, "%02d %s.mp3" % (track + 1, title))
                body = retitled(pool[number % len(pool)], title, artist)
                kind, length = "other", mp3_length_ms(body)
            else:
                ms = 500 + 250 * (number % 15)
                path = os.path.join(album, "%02d %s.wav" % (track + 1, title))
                body = wave_bytes(tone, ms, title, artist, track % 2 == 0)
                kind, length = "wave", ms
            with open(path, "wb") as f:
                f.write(body)
            stat = os.stat(path)
            records.append((windows_path(path), kind, "%s - %s" % (artist, title), artist, length, stat.st_size,
                            FILETIME_EPOCH + stat.st_mtime_ns // 100))
    return records
