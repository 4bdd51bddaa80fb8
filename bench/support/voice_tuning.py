#!/usr/bin/env python3
"""Measures how far off its name each key of the sampled singers' patches sounds, for
tests/support/render_voices.py (its data: tests/support/voice_tuning.txt). Renders
every key of each sound font and program the voice corpus table uses, unbent, with
FluidSynth at 48 kHz, and finds each note's period over its steady part (200-350 ms
after its onset) with a difference function searched within a semitone of the key.
Prints one line a key: "<font> <program> <key> <cents>".
  bench/support/voice_tuning.py tests/platform/voice_corpus.txt > tests/support/voice_tuning.txt"""
import array, math, os, subprocess, sys, tempfile, wave

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
        with tempfile.TemporaryDirectory() as folder:
            events = [(0, 0, b"\xFF\x51\x03" + (1_000_000).to_bytes(3, "big")), (0, 0, bytes([0xC0, program]))]
            for i, key in enumerate(KEYS):
                events += [(i * NOTE_MS, 1, bytes([0x90, key, 100])), (i * NOTE_MS + 500, 0, bytes([0x80, key, 0]))]
            midi = os.path.join(folder, "keys.mid")
            with open(midi, "wb") as f:
                f.write(render_voices.midi_bytes(events, len(KEYS) * NOTE_MS))
            out = os.path.join(folder, "keys.wav")
            subprocess.run(["fluidsynth", "-ni", "-q", "-R", "0", "-C", "0", "-g", "0.6", "-r", str(RATE), "-O", "s16",
                            "-F", out, f"/usr/share/sounds/sf2/{font}.sf2", midi], check=True, stdout=subprocess.DEVNULL)
            with wave.open(out) as w:
                frames = array.array("h", w.readframes(w.getnframes()))
        mono = [(frames[i] + frames[i + 1]) / 2 for i in range(0, len(frames), 2)]
        for i, key in enumerate(KEYS):
            print(font, program, key, round(cents_off(mono[i * NOTE_MS * RATE // 1000:], key)), flush=True)


if __name__ == "__main__":
    main(*sys.argv[1:])
