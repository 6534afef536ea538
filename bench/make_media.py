#!/usr/bin/env python3
"""Writes the benchmark's playlists and wave files into a work folder.

    make_media.py WORK

WORK/missing.VireoList   5,000 paths in a folder that does not exist
WORK/existing.VireoList  5,000 paths of real files (links to one small wave)
WORK/memory.VireoList    10,000 paths that do not exist
WORK/load.m3u            the same 10,000 paths as another player's playlist
WORK/gap.VireoList       12 rising tones of 1.5 s, one after another
WORK/mixed.VireoList     the same tone as waves, FLAC and ALAC files (M4A), in
                         the order MIXED_KINDS gives: what Media Foundation
                         plays on Windows beside what the media control
                         interface plays (lossless, so no codec adds silence)
WORK/cpu.VireoList       one 45 s tone
WORK/cpu_flac.VireoList  the same tone as a FLAC file
WORK/queue.VireoList     10,000 playable entries: the 45 s tone, each its own link
WORK/titles.VireoList    10,000 small media files with titles in 100 folders
                         (titled_media.py), for reading titles and memory
WORK/titles/unread.VireoQueue  the same as a kept queue whose entries are unread
WORK/kept/Queue.VireoQueue  the same as a kept queue with every title, length,
                         size and write time read
Paths are written as the Windows side sees them (Z: is the root).
"""
import math
import os
import struct
import subprocess
import sys

import titled_media

RATE = 44100
HEADER = "[VIREO 1.0]"
FORWARD_LINES = 5000
MEMORY_LINES = 10000
GAP_TONES = 12
GAP_TONE_MS = 1500
# Each gap tone sweeps linearly from LOW to HIGH, so that the pitch heard at
# the start of a recorded tone tells how much of its beginning is missing.
GAP_LOW_HZ = 300.0
GAP_HIGH_HZ = 1500.0
# W: wave, F: FLAC, A: ALAC in an .m4a. Each pair of ways follows the other
# several times: wave to wave, Media Foundation to Media Foundation (9 per
# run, the first ALAC's among them), and each way to the other (10).
MIXED_KINDS = "WWWWFFFFFAAAAAWFWAWFWAWW"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_wave(path, samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16))
        f.write(b"data" + struct.pack("<I", len(data)) + data)


def sweep(ms, low, high, level=0.5):
    n = RATE * ms // 1000
    seconds = n / RATE
    rate = (high - low) / seconds
    out = []
    for i in range(n):
        t = i / RATE
        phase = 2 * math.pi * (low * t + rate * t * t / 2)
        out.append(int(level * 32767 * math.sin(phase)))
    return out


def encode_flac(wave, path):
    subprocess.run(["sox", wave, path], check=True)


def encode_alac(wave, path):
    subprocess.run(["gst-launch-1.0", "-q", "filesrc", "location=" + wave, "!", "wavparse", "!", "audioconvert",
                    "!", "avenc_alac", "!", "mp4mux", "!", "filesink", "location=" + path], check=True)


def write_list(path, lines):
    with open(path, "w", newline="") as f:
        f.write(HEADER + "\r\n")
        for line in lines:
            f.write(line + "\r\n")


def write_kept_queue(path, records, current, read):
    """Version 2, as the player keeps it: each entry's title, path, length,
    size and write time, and its artist; unread entries have their file's
    name, no length and 0 0."""
    folder = os.path.dirname(path)
    os.makedirs(folder, exist_ok=True)
    for name in ("Queue.VireoQueue.new", "Place.VireoQueue"):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    with open(path, "w", newline="") as f:
        f.write("VireoQueue\t2\r\ncurrent\t%d\t%d\r\n" % current)
        for windows, kind, title, artist, length, size, time in records:
            if read:
                f.write("entry\t%s\t%s\t%s\t%d\t%d\t%d\t%s\r\n" % (kind, title, windows, length, size, time, artist))
            else:
                f.write("entry\t%s\t%s\t%s\t-1\t0\t0\t\r\n" % (kind, windows.rsplit("\\", 1)[-1], windows))
        f.write("end\r\n")


def main():
    work = sys.argv[1]
    media = os.path.join(work, "media")
    gap = os.path.join(work, "gap")
    os.makedirs(media, exist_ok=True)
    os.makedirs(gap, exist_ok=True)

    # Names with blanks, as people name their clips: each needs its short form.
    names = ["Evening tone %05d.wav" % i for i in range(MEMORY_LINES)]
    missing = os.path.join(work, "missing")
    write_list(os.path.join(work, "missing.VireoList"),
               [windows_path(os.path.join(missing, n)) for n in names[:FORWARD_LINES]])
    write_list(os.path.join(work, "memory.VireoList"),
               [windows_path(os.path.join(missing, n)) for n in names])
    with open(os.path.join(work, "load.m3u"), "w", newline="") as f:
        f.write("#EXTM3U\r\n")
        for n in names:
            f.write(windows_path(os.path.join(missing, n)) + "\r\n")

    titled = titled_media.make(work)
    write_list(os.path.join(work, "titles.VireoList"), [r[0] for r in titled])
    write_kept_queue(os.path.join(work, "titles", "unread.VireoQueue"), titled, (-1, 0), False)
    write_kept_queue(os.path.join(work, "kept", "Queue.VireoQueue"), titled, (len(titled) // 2, 1000), True)

    one = os.path.join(work, "short.wav")
    write_wave(one, sweep(100, 440, 440))
    for n in names[:FORWARD_LINES]:
        target = os.path.join(media, n)
        if not os.path.exists(target):
            os.link(one, target)
    write_list(os.path.join(work, "existing.VireoList"),
               [windows_path(os.path.join(media, n)) for n in names[:FORWARD_LINES]])

    tone = sweep(GAP_TONE_MS, GAP_LOW_HZ, GAP_HIGH_HZ)
    tones = []
    for i in range(GAP_TONES):
        path = os.path.join(gap, "tone%02d.wav" % i)
        write_wave(path, tone)
        tones.append(windows_path(path))
    write_list(os.path.join(work, "gap.VireoList"), tones)

    flac = os.path.join(gap, "tone.flac")
    alac = os.path.join(gap, "tone.m4a")
    encode_flac(os.path.join(gap, "tone00.wav"), flac)
    encode_alac(os.path.join(gap, "tone00.wav"), alac)
    mixed = []
    for i, kind in enumerate(MIXED_KINDS):
        path = os.path.join(gap, "mixed%02d%s" % (i, {"W": ".wav", "F": ".flac", "A": ".m4a"}[kind]))
        if not os.path.exists(path):
            os.link({"W": os.path.join(gap, "tone00.wav"), "F": flac, "A": alac}[kind], path)
        mixed.append(windows_path(path))
    write_list(os.path.join(work, "mixed.VireoList"), mixed)

    long_tone = os.path.join(work, "long.wav")
    write_wave(long_tone, sweep(45000, 440, 440, 0.2))
    write_list(os.path.join(work, "cpu.VireoList"), [windows_path(long_tone)])
    long_flac = os.path.join(work, "long.flac")
    encode_flac(long_tone, long_flac)
    write_list(os.path.join(work, "cpu_flac.VireoList"), [windows_path(long_flac)])

    queue = os.path.join(work, "queue")
    os.makedirs(queue, exist_ok=True)
    queued = []
    for i in range(MEMORY_LINES):
        target = os.path.join(queue, "Queued tone %05d.wav" % i)
        if not os.path.exists(target):
            os.link(long_tone, target)
        queued.append(windows_path(target))
    write_list(os.path.join(work, "queue.VireoList"), queued)


if __name__ == "__main__":
    main()
