#!/usr/bin/env bash
# Regenerates the 25 note samples in assets/sound/ from the General MIDI
# soundfont shipped by Debian (fluid-soundfont-gm), using fluidsynth and sox.
#
#   tools/make_sounds.sh [output-dir]      (default: <repo>/assets/sound)
#
# Each sample is one note rendered offline from a tiny MIDI file, mixed down
# to mono, cut so that the attack starts at the first sample, shortened to
# about 1.5 s with a smooth fade-out and normalised to the same peak level.
# The game plays these files directly, so they are kept in the repository and
# building the game needs neither fluidsynth nor the soundfont.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out_dir=${1:-"$here/../assets/sound"}
soundfont=${SOUNDFONT:-/usr/share/sounds/sf2/FluidR3_GM.sf2}

rate=48000
peak_db=-3          # every file is normalised to this peak (dBFS)
note_len=1.5        # seconds kept after the onset
fade_len=0.15       # fade-out at the end of each note
chime_len=1.2
chime_fade=0.3
piano_program=0     # GM Acoustic Grand Piano
chime_program=8     # GM Celesta

for tool in fluidsynth sox python3; do
  command -v "$tool" >/dev/null || { echo "make_sounds: '$tool' is not installed" >&2; exit 1; }
done
[[ -r $soundfont ]] || { echo "make_sounds: soundfont not found: $soundfont (apt install fluid-soundfont-gm)" >&2; exit 1; }

mkdir -p "$out_dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes a one-note standard MIDI file (format 0). Tempo is set so that one
# tick is one millisecond; the track runs on after the note-off so that the
# renderer keeps going through the release.
cat >"$work/note_midi.py" <<'PY'
import struct, sys

def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))

path, program, key, velocity, hold_ms, tail_ms = sys.argv[1], *map(int, sys.argv[2:])
events = (vlq(0) + b"\xFF\x51\x03" + (1_000_000).to_bytes(3, "big")   # 1 s per quarter
          + vlq(0) + bytes([0xC0, program])
          + vlq(0) + bytes([0x90, key, velocity])
          + vlq(hold_ms) + bytes([0x80, key, 0])
          + vlq(tail_ms) + b"\xFF\x2F\x00")
with open(path, "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 1000))
    f.write(b"MTrk" + struct.pack(">I", len(events)) + events)
PY

# Prints the index of the first sample of a raw mono float32 stream that
# rises above -80 dB relative to the stream's peak: where the attack begins.
cat >"$work/onset.py" <<'PY'
import array, sys
samples = array.array("f")
with open(sys.argv[1], "rb") as f:
    samples.frombytes(f.read())
peak = max(map(abs, samples), default=0.0)
if peak == 0.0:
    sys.exit("silent render")
limit = peak * 1e-4
print(next(i for i, x in enumerate(samples) if abs(x) > limit))
PY

# render <name> <program> <midi key> <seconds kept> <fade seconds>
render() {
  local name=$1 program=$2 key=$3 keep=$4 fade=$5
  local base="$work/$key-$program"
  # The key is released half-way through the fade-out, so the damper noise
  # is already faded; the MIDI track runs on for a second after that.
  local hold_ms
  hold_ms=$(python3 -c "print(int(($keep - $fade / 2) * 1000))")
  python3 "$work/note_midi.py" "$base.mid" "$program" "$key" 100 "$hold_ms" 1000
  fluidsynth -ni -q -R 0 -C 0 -g 1.0 -O float -F "$base.wav" -r "$rate" "$soundfont" "$base.mid" >/dev/null
  # Mono mix as raw float so the onset search sees the unquantised signal.
  sox -V1 "$base.wav" -t f32 -c 1 "$base.f32" remix -
  local onset
  onset=$(python3 "$work/onset.py" "$base.f32")
  sox -V1 -R -t f32 -r "$rate" -c 1 "$base.f32" -b 16 -e signed-integer -t wav "$out_dir/$name" \
      trim "${onset}s" "$keep" fade h 0 "$keep" "$fade" norm "$peak_db"
  printf '%-6s key %3d  onset cut at sample %d\n' "$name" "$key" "$onset"
}

# Note names used by the game: do re mi fa so ra si, '#' for sharps, '+' for
# the upper octave. C4 is MIDI key 60.
names=("do" "do#" "re" "re#" "mi" "fa" "fa#" "so" "so#" "ra" "ra#" "si")
for i in "${!names[@]}"; do
  render "${names[$i]}" "$piano_program" $((60 + i)) "$note_len" "$fade_len"
  render "+${names[$i]}" "$piano_program" $((72 + i)) "$note_len" "$fade_len"
done

# Start chime: C7 on a celesta.
render "+++do" "$chime_program" 96 "$chime_len" "$chime_fade"

echo "make_sounds: wrote $(find "$out_dir" -maxdepth 1 -type f | wc -l) files to $out_dir"
