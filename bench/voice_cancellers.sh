#!/usr/bin/env bash
# The two echo cancellers on the same singers (docs/performance.md, "Which echo
# canceller"): bench_voice_notes (speexdsp, the game's) and bench_voice_notes_webrtc
# (webrtc's audio processing) under a few of its settings, each over the synthesized
# set, the sampled singers' corpus (the reference handed as it is due, then in bursts
# of 100 ms) and the echo it takes off the corpus' loudspeaker takes; then the corpus
# as one stream (bench_web_voice_corpus native: one canceller for all the phrases,
# so that what it learns in one phrase serves the next).
#   bench/voice_cancellers.sh --build-dir DIR [corpus folder (DIR/voice_corpus)]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${1:-}" != --build-dir ] || [ $# -lt 2 ]; then
  echo "usage: $0 --build-dir DIR [corpus folder]" >&2
  exit 2
fi
build="$(realpath "$2")"
corpus="${3:-$build/voice_corpus}"
cmake --build "$build" -t bench_voice_notes bench_voice_notes_webrtc bench_web_voice_corpus bench_web_voice_corpus_webrtc >/dev/null ||
  { echo "the benches do not build in $build (is libwebrtc-audio-processing-dev installed?)" >&2; exit 1; }
[ -f "$corpus/0.wav" ] || { echo "no rendered corpus in $corpus (ctest -R voice_corpus_render makes it)" >&2; exit 1; }
webrtc_settings=("" "BENCH_WEBRTC_SUPPRESSION=low" "BENCH_WEBRTC_SUPPRESSION=high"
  "BENCH_WEBRTC_DELAY_AGNOSTIC=0" "BENCH_WEBRTC_DELAY_AGNOSTIC=0 BENCH_WEBRTC_DELAY_MS=60"
  "BENCH_WEBRTC_DELAY_AGNOSTIC=0 BENCH_WEBRTC_DELAY_MS=60 BENCH_WEBRTC_EXTENDED=0" "BENCH_WEBRTC_NOISE=0")
for burst in 1 5; do
  "$build/bin/bench_voice_notes" "$root/assets/sound" 240 1 "$root/tests/platform/voice_corpus.txt" "$corpus" "$burst"
  # Delay-agnostic with the extended filter at moderate suppression, then the
  # suppression, the delay estimation and the filter's length changed; last, without
  # its noise suppression (which speexdsp's path has: not a candidate, but where
  # the difference between the two comes from).
  for settings in "${webrtc_settings[@]}"; do
    # shellcheck disable=SC2086
    env $settings "$build/bin/bench_voice_notes_webrtc" "$root/assets/sound" 240 1 \
      "$root/tests/platform/voice_corpus.txt" "$corpus" "$burst"
  done
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stream() {  # binary, echo gain, webrtc settings
  # shellcheck disable=SC2086
  env $3 "$build/bin/$1" native "$root/assets" "$root/tests/platform/voice_corpus.txt" "$corpus" "$2" "$work/heard" "$work/plan"
  echo "stream $1 ${3:-} echo $2: $("$build/bin/$1" count "$work/plan" "$work/heard" | grep -v '^right')"
}
for gain in 0 0.45; do
  stream bench_web_voice_corpus "$gain" ""
  for settings in "${webrtc_settings[@]}"; do stream bench_web_voice_corpus_webrtc "$gain" "$settings"; done
done
