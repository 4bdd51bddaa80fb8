#!/usr/bin/env python3
"""Renders the sampled singers of a voice corpus table (tests/platform/voice_corpus.txt)
with FluidSynth: phrase N (0-based, in table order) becomes <out>/N.wav, 16 kHz 16-bit
mono, its first note 200 ms in, a note every 620 ms.
  render_voices.py <table> <out folder>"""
import array, os, struct, subprocess, sys, wave

RATE, LEAD_MS, SPACING_MS, SUNG_MS = 16000, 200, 620, 450


def vlq(n):
    out = [n & 0x7F]
    while n > 127:
        n >>= 7
        out.append(0x80 | (n & 0x7F))
    return bytes(reversed(out))


def midi_file(program, cents, legato, notes):
    # One tick a millisecond; bend range left at its default of two semitones.
    bend = 8192 + round(cents / 200 * 8191)
    events = [(0, b"\xFF\x51\x03" + (1_000_000).to_bytes(3, "big")), (0, bytes([0xC0, program])),
              (0, bytes([0xE0, bend & 0x7F, bend >> 7]))]
    for i, key in enumerate(notes):
        on = LEAD_MS + i * SPACING_MS
        events += [(on, bytes([0x90, key, 100])), (on + (SPACING_MS if legato else SUNG_MS), bytes([0x80, key, 0]))]
    events.sort(key=lambda e: (e[0], e[1][0] != 0x80))  # a legato note ends as the next begins
    track, now = b"", 0
    for at, data in events + [(LEAD_MS + len(notes) * SPACING_MS + 500, b"\xFF\x2F\x00")]:
        track, now = track + vlq(at - now) + data, at
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, 1000) + b"MTrk" + struct.pack(">I", len(track)) + track


def main(table, out):
    os.makedirs(out, exist_ok=True)
    rows = [line.split() for line in open(table) if line.strip() and not line.startswith("#")]
    for n, (font, program, cents, style, *notes) in enumerate(rows):
        base = os.path.join(out, str(n))
        with open(base + ".mid", "wb") as f:
            f.write(midi_file(int(program), float(cents), style == "legato", [int(k) for k in notes]))
        subprocess.run(["fluidsynth", "-ni", "-q", "-R", "0", "-C", "0", "-g", "0.6", "-r", str(RATE), "-O", "s16",
                        "-F", base + ".stereo.wav", f"/usr/share/sounds/sf2/{font}.sf2", base + ".mid"],
                       check=True, stdout=subprocess.DEVNULL)
        with wave.open(base + ".stereo.wav") as w:
            frames = array.array("h", w.readframes(w.getnframes()))
        mono = array.array("h", ((frames[i] + frames[i + 1]) // 2 for i in range(0, len(frames), 2)))
        with wave.open(base + ".wav", "wb") as w:
            w.setnchannels(1), w.setsampwidth(2), w.setframerate(RATE), w.writeframes(mono.tobytes())
        os.remove(base + ".stereo.wav")


if __name__ == "__main__":
    main(*sys.argv[1:])
