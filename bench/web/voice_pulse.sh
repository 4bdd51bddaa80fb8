#!/usr/bin/env bash
# bench/web/voice_corpus.mjs with a private PulseAudio daemon as the browser's sound
# server instead of its fake capture device: the page plays into the null sink
# "cap", the default source is the monitor of a second null sink, "mic" (remapped as
# a source of its own), the virtual microphone, into which the stream is played with paplay and, for loudspeakers, the
# page's own output through a loopback at 0.45 of its level.
#   bench/web/voice_pulse.sh <build-web/site> <build-test> <rendered corpus folder>
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
# shellcheck source=../../tests/e2e/pulse_server.sh
. "$here/../../tests/e2e/pulse_server.sh"
pulse_private_env "$work"
trap 'pulse_stop; rm -rf "$work"' EXIT
pulse_start "$work" || { echo "the private PulseAudio did not start" >&2; exit 1; }
pactl load-module module-null-sink sink_name=mic rate=16000 channels=1 >/dev/null
pactl set-default-sink cap
# Chromium lists no monitor as a microphone: the monitor is remapped as a source.
pactl load-module module-remap-source master=mic.monitor source_name=virtmic >/dev/null
pactl set-default-source virtmic
ZORVANTA_PULSE=1 node "$here/voice_corpus.mjs" "$@"
