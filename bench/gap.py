#!/usr/bin/env python3
"""Finds the tones in a recording of the null sink and the silences between them.

    gap.py RECORDING.wav TONE_MS LOW_HZ HIGH_HZ

Prints "name value" lines: the sounds heard, the silences where one tone
gave way to the next (median, worst, each), silences inside a tone
(dropouts), and for each tone how much of its start never sounded. The tones
sweep linearly from LOW_HZ to HIGH_HZ, so the pitch where a sound starts or
stops tells where in the file it is.
"""
import statistics
import struct
import sys

BLOCK_MS = 1
# Well below the tones (half of full scale), well above the sink's silence.
THRESHOLD = 1000
# Shorter bursts are clicks, not tones.
MIN_TONE_MS = 100
# The window at a tone's start whose pitch is read.
PITCH_MS = 40


def read_wave(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise SystemExit("gap.py: %s is no wave file" % path)
    pos = 12
    channels = rate = None
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = pos + 8
        if chunk == b"fmt ":
            fmt, channels, rate, _, _, bits = struct.unpack("<HHIIHH", data[body:body + 16])
            if fmt != 1 or bits != 16:
                raise SystemExit("gap.py: only 16-bit PCM is read")
        elif chunk == b"data":
            # A recorder that was stopped leaves the sizes unwritten: to the end.
            samples = data[body:]
            samples = samples[:len(samples) // (2 * channels) * 2 * channels]
            values = struct.unpack("<%dh" % (len(samples) // 2), samples)
            mono = [sum(values[i:i + channels]) / channels for i in range(0, len(values), channels)]
            return rate, mono
        pos = body + size + (size & 1)
    raise SystemExit("gap.py: %s holds no samples" % path)


def tones(rate, mono):
    block = rate * BLOCK_MS // 1000
    loud = [max(abs(v) for v in mono[i:i + block]) >= THRESHOLD for i in range(0, len(mono) - block, block)]
    found = []
    start = None
    for i, on in enumerate(loud + [False]):
        if on and start is None:
            start = i
        elif not on and start is not None:
            if (i - start) * BLOCK_MS >= MIN_TONE_MS:
                found.append((start * block, i * block))
            start = None
    return found


def first_sample(mono, begin, end):
    """The exact first loud sample inside the block where a tone begins."""
    for i in range(begin, end):
        if abs(mono[i]) >= THRESHOLD:
            return i
    return begin


def last_sample(mono, begin, end):
    for i in range(end - 1, begin - 1, -1):
        if abs(mono[i]) >= THRESHOLD:
            return i + 1
    return end


def pitch(rate, mono, begin):
    """Frequency from the zero crossings in the window after begin."""
    n = rate * PITCH_MS // 1000
    crossings = []
    for i in range(begin + 1, min(begin + n, len(mono))):
        a, b = mono[i - 1], mono[i]
        if a < 0 <= b:
            crossings.append(i - 1 + (-a) / (b - a))
    if len(crossings) < 3:
        return None
    periods = (crossings[-1] - crossings[0]) / (len(crossings) - 1)
    return rate / periods


def pitch_before(rate, mono, end):
    """Frequency from the zero crossings in the window before end."""
    n = rate * PITCH_MS // 1000
    return pitch(rate, mono, max(0, end - n))


# A sound that stops this far before its tone's end was cut off inside the
# tone: the silence after it is a dropout, not a change of entry.
EARLY_END_MS = 150


def analyse(rate, mono, tone_ms, low, high):
    """Silences at changes of entry, silences inside a tone (dropouts), and
    how much of each tone's start never sounded."""
    bounds = [(first_sample(mono, b, e), last_sample(mono, b, e)) for b, e in tones(rate, mono)]
    sweep_rate = (high - low) / (tone_ms / 1000)
    transitions, dropouts, start_lost = [], [], []
    for i, (b, e) in enumerate(bounds):
        f = pitch(rate, mono, b)
        start_ms = None if f is None else max(0.0, (f - low) / sweep_rate * 1000 - PITCH_MS / 2)
        if i == 0:
            if start_ms is not None:
                start_lost.append(start_ms)
            continue
        silence = (b - bounds[i - 1][1]) * 1000 / rate
        f_end = pitch_before(rate, mono, bounds[i - 1][1])
        end_ms = None if f_end is None else (f_end - low) / sweep_rate * 1000 + PITCH_MS / 2
        if end_ms is not None and end_ms < tone_ms - EARLY_END_MS:
            dropouts.append(silence)
        else:
            transitions.append(silence)
            if start_ms is not None:
                start_lost.append(start_ms)
    return transitions, dropouts, start_lost, len(bounds)


def main():
    path, tone_ms, low, high = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
    rate, mono = read_wave(path)
    transitions, dropouts, start_lost, count = analyse(rate, mono, tone_ms, low, high)
    print("gap_sounds %d" % count)
    print("gap_transitions %d" % len(transitions))
    if transitions:
        print("gap_median_ms %.1f" % statistics.median(transitions))
        print("gap_worst_ms %.1f" % max(transitions))
        print("gap_each_ms %s" % ",".join("%.0f" % t for t in transitions))
    print("gap_dropouts %d" % len(dropouts))
    if dropouts:
        print("gap_dropout_each_ms %s" % ",".join("%.0f" % d for d in dropouts))
    if start_lost:
        print("gap_start_lost_each_ms %s" % ",".join("%.0f" % x for x in start_lost))


if __name__ == "__main__":
    main()
