#!/usr/bin/env python3
"""Measures how far off its name each key of the sampled singers' patches sounds, for
tests/support/render_voices.py (its data: tests/support/voice_tuning.txt). Renders
every key of each sound font and program the voice corpus table uses, unbent, with
FluidSynth at 48 kHz, and finds each note's period over its steady part (200-350 ms
after its onset) with a difference function searched within a semitone of the key.
Prints one line a key: "<font> <program> <key> <cents>".
  bench/support/voice_tuning.py tests/platform/voice_corpus.txt > tests/support/voice_tuning.txt"""
import math, os, sys, tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
import render_voices  # noqa: E402

RATE, KEYS, NOTE_MS = 48000, range(36, 91), 1000


def cents_off(samples, key):
    expected = 440 * 2 ** ((key - 69) / 12)
    start, n = RATE * 200 // 1000, RATE * 150 // 1000
    x = samples[start:start + n + RATE // 30]
    lo, hi = int(RATE / (expected * 2 ** (1 / 12))), int(RATE / (expected / 2 ** (1 / 12))) + 1
    d = {lag: sum((x[i] - x[i + lag]) ** 2 for i in range(n)) for lag in range(lo - 1, hi + 2)}
    best = min(range(lo, hi + 1), key=d.get)
    a, b, c = d[best - 1], d[best], d[best + 1]
    shift = 0.5 * (a - c) / (a - 2 * b + c) if a - 2 * b + c > 0 else 0
    return 1200 * math.log2(RATE / (best + shift) / expected)


def main(table):
    rows = [line.split() for line in open(table) if line.strip() and not line.startswith("#")]
    for font, program in sorted({(row[0], int(row[1])) for row in rows}):
        events = [(0, 0, bytes([0xC0, program]))]
        for i, key in enumerate(KEYS):
            events += [(i * NOTE_MS, 1, bytes([0x90, key, 100])), (i * NOTE_MS + 500, 0, bytes([0x80, key, 0]))]
        with tempfile.TemporaryDirectory() as folder:
            mono = render_voices.render_mono(font, render_voices.midi_bytes(events, len(KEYS) * NOTE_MS), RATE,
                                             os.path.join(folder, "keys"))
        for i, key in enumerate(KEYS):
            print(font, program, key, round(cents_off(mono[i * NOTE_MS * RATE // 1000:], key)), flush=True)


if __name__ == "__main__":
    main(*sys.argv[1:])
