#!/usr/bin/env python3
"""One sampled singer's phrase for bench/voice_corpus_real.sh: renders a one-line
voice corpus table (tests/support/render_voices.py), brings its peak to 0.3 of full
scale (the synthesized singer's level, support/SynthVoice.h) and cuts or lengthens
its lead-in silence to a chosen length, so that the caller knows when its first note sounds.
  corpus_take.py <out.wav> <deadline us|0> <font> <program> <cents> <style> <MIDI notes...>
With a deadline (epoch microseconds at which the first note must sound, the file
played at once), the lead-in kept is the time left until then, less the player's
start; when too little is left, or with 0, it keeps LEAD_MS. Prints "<on-time|late>
<lead-in kept, ms> <note spacing, ms> <span from the first onset to the last note's
end, ms> <rendering's own lead-in, ms>"."""
import array, os, sys, tempfile, time, wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
import render_voices  # noqa: E402

LEVEL, LEAD_MS, MIN_LEAD_MS, PLAYER_START_MS, ONSET_DB = 0.3, 100, 20, 30, -40


def main(out, deadline_us, font, program, cents, style, *notes):
    with tempfile.TemporaryDirectory() as folder:
        table = os.path.join(folder, "phrase.txt")
        with open(table, "w") as f:
            f.write(" ".join([font, program, cents, style, *notes]) + "\n")
        render_voices.main(table, folder)
        with wave.open(os.path.join(folder, "0.wav")) as w:
            rate = w.getframerate()
            samples = array.array("h", w.readframes(w.getnframes()))
    peak = max(1, max(abs(s) for s in samples))
    # The first note's onset: the first sample within ONSET_DB of the phrase's peak.
    floor = peak * 10 ** (ONSET_DB / 20)
    onset = next(i for i, s in enumerate(samples) if abs(s) >= floor)
    scaled = array.array("h", (round(s * LEVEL * 32767 / peak) for s in samples))
    # The time left is read last: what comes after it is only the writing.
    lead_ms, mode = LEAD_MS, "late"
    if int(deadline_us) > 0:
        left_ms = (int(deadline_us) - time.time_ns() // 1000) / 1000 - PLAYER_START_MS
        if left_ms >= MIN_LEAD_MS:
            lead_ms, mode = left_ms, "on-time"
    # Cut to that lead-in, or lengthened with silence.
    start = onset - int(lead_ms * rate / 1000)
    with wave.open(out, "wb") as w:
        w.setnchannels(1), w.setsampwidth(2), w.setframerate(rate)
        w.writeframes(bytes(2 * max(0, -start)) + scaled[max(0, start):].tobytes())
    spacing, sung = render_voices.SPACING_MS, render_voices.SUNG_MS
    span = (len(notes) - 1) * spacing + (spacing if style == "legato" else sung)
    print(mode, round((onset - start) * 1000 / rate), spacing, span, round(onset * 1000 / rate))


if __name__ == "__main__":
    main(*sys.argv[1:])
