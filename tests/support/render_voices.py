#!/usr/bin/env python3
"""Renders the sampled singers of a voice corpus table (tests/platform/voice_corpus.txt)
with FluidSynth: phrase N (0-based, in table order) becomes <out>/N.wav, 16 kHz 16-bit
mono, its first note 200 ms in, a note every 620 ms. The phrases of one sound font
are rendered in one run, a phrase every PHRASE_MS, and cut apart. A phrase is bent
by its row's cents, except a note that the patch's own tuning (voice_tuning.txt)
would then put more than MAX_OFF_CENTS off its name: that one is bent to lie just
MAX_OFF_CENTS off, on the side it leans to, as a singer that far out hears it.
  render_voices.py <table> <out folder>"""
import array, os, struct, subprocess, sys, wave

RATE, LEAD_MS, SPACING_MS, SUNG_MS, PHRASE_MS = 16000, 200, 620, 450, 5000
MAX_OFF_CENTS = 30
TUNING = os.path.join(os.path.dirname(os.path.abspath(__file__)), "voice_tuning.txt")


def tuning():
    """{(font, program, key): cents the unbent key sounds off its name}."""
    with open(TUNING) as f:
        return {(font, int(program), int(key)): float(cents) for font, program, key, cents in map(str.split, f)}


def note_bend(off, cents):
    """The bend (cents) for a note whose patch sounds `off` its name, in a phrase bent `cents`."""
    return max(-MAX_OFF_CENTS, min(MAX_OFF_CENTS, off + cents)) - off


def vlq(n):
    out = [n & 0x7F]
    while n > 127:
        n >>= 7
        out.append(0x80 | (n & 0x7F))
    return bytes(reversed(out))


def bend_event(at, cents):
    # The bend range left at its default of two semitones.
    bend = 8192 + round(cents / 200 * 8191)
    return (at, 1, bytes([0xE0, bend & 0x7F, bend >> 7]))


def midi_file(phrases, offs):
    events = []
    for n, (program, cents, legato, notes) in enumerate(phrases):
        start = n * PHRASE_MS
        events += [(start, 0, bytes([0xC0, program]))]
        for i, key in enumerate(notes):
            on = start + LEAD_MS + i * SPACING_MS
            # A legato note runs into the next, but not into the same note again: the
            # sampled voices restart a key with no dip and no attack to hear, so a
            # singer breathes between the two as in a detached line. Each note's bend
            # comes with it (after the note before has ended, when it ends there).
            tied = legato and notes[i + 1:i + 2] != [key]
            events += [bend_event(on, note_bend(offs(program, key), cents)), (on, 1, bytes([0x90, key, 100])),
                       (on + (SPACING_MS if tied else SUNG_MS), 0, bytes([0x80, key, 0]))]
    return midi_bytes(events, len(phrases) * PHRASE_MS)


def midi_bytes(events, end):
    """A one-track MIDI file of (millisecond, order at that millisecond, message) events,
    one tick a millisecond."""
    tempo = (0, 0, b"\xFF\x51\x03" + (1_000_000).to_bytes(3, "big"))
    events = sorted([tempo] + events, key=lambda e: e[:2])  # a legato note ends as the next begins
    track, now = b"", 0
    for at, _, data in events + [(end, 0, b"\xFF\x2F\x00")]:
        track, now = track + vlq(at - now) + data, at
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, 1000) + b"MTrk" + struct.pack(">I", len(track)) + track


def main(table, out):
    os.makedirs(out, exist_ok=True)
    rows = [line.split() for line in open(table) if line.strip() and not line.startswith("#")]
    offs = tuning()
    for font in sorted({row[0] for row in rows}):
        numbers = [n for n, row in enumerate(rows) if row[0] == font]
        midi = midi_file([(int(rows[n][1]), float(rows[n][2]), rows[n][3] == "legato", [int(k) for k in rows[n][4:]])
                          for n in numbers], lambda program, key: offs.get((font, program, key), 0.0))
        mono = render_mono(font, midi, RATE, os.path.join(out, font))
        for k, n in enumerate(numbers):
            with wave.open(os.path.join(out, f"{n}.wav"), "wb") as w:
                w.setnchannels(1), w.setsampwidth(2), w.setframerate(RATE)
                w.writeframes(mono[k * PHRASE_MS * RATE // 1000:(k + 1) * PHRASE_MS * RATE // 1000].tobytes())


def render_mono(font, midi, rate, base):
    """What FluidSynth renders of a MIDI file's bytes with a Debian sound font (dry: no
    reverb, no chorus), mono 16-bit at `rate`; `base` names its passing files."""
    with open(base + ".mid", "wb") as f:
        f.write(midi)
    subprocess.run(["fluidsynth", "-ni", "-q", "-R", "0", "-C", "0", "-g", "0.6", "-r", str(rate), "-O", "s16",
                    "-F", base + ".wav", f"/usr/share/sounds/sf2/{font}.sf2", base + ".mid"],
                   check=True, stdout=subprocess.DEVNULL)
    with wave.open(base + ".wav") as w:
        frames = array.array("h", w.readframes(w.getnframes()))
    os.remove(base + ".wav")
    return array.array("h", ((frames[i] + frames[i + 1]) // 2 for i in range(0, len(frames), 2)))


if __name__ == "__main__":
    main(*sys.argv[1:])
