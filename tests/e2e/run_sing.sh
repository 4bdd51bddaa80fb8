#!/usr/bin/env bash
# Answering by singing, against the real binary on a private Xvfb and a private
# PulseAudio daemon: the game plays into the null sink "cap"; the default source is
# the monitor of a second null sink, "mic", the virtual microphone, into which the
# synthesized singer (sing_wav) is played and, through a loopback, the game's own
# output as from loudspeakers beside the microphone.
#   1. The command line, with no display at all: --help, --version, a wrong option.
#   2. Without --sing no capture stream is ever opened; with it, exactly one.
#   3. The game's own sounds (chime, questions) at the microphone make no sung note; a
#      question answered right by singing (an octave below the piano, as a man
#      would, from 0.3 s after its last note, while that note rings), the next
#      answered wrong, and the summary counts one right answer.
# The game's ZORVANTA_TRACE lines (sound <name>, sung <MIDI note> and sung-end <MIDI
# note>, box <caption>: <text>) tell what it played, heard and judged.
#   run_sing.sh <zorvanta binary> <sing_wav binary>
set -euo pipefail
binary="$(realpath "$1")"
singer="$(realpath "$2")"
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
on_xvfb "$0" "$@"

# 1. The command line: arguments | exit status | stream that gets the text | text.
cli="$(mktemp -d)"
while IFS='|' read -r args status stream text; do
  got=0
  # shellcheck disable=SC2086
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$binary" $args >"$cli/stdout" 2>"$cli/stderr" || got=$?
  other=stdout; [ "$stream" = stdout ] && other=stderr
  if [ "$got" != "$status" ] || ! grep -q -- "$text" "$cli/$stream" || [ -s "$cli/$other" ]; then
    echo "FAIL: zorvanta $args: status $got, stdout: $(cat "$cli/stdout"), stderr: $(cat "$cli/stderr")" >&2
    exit 1
  fi
  echo "command line '$args': status $status, $stream has '$text'"
done <<'TABLE'
--help|0|stdout|--sing
-h|0|stdout|Usage: zorvanta
--version|0|stdout|^zorvanta [0-9]
--sing --help|0|stdout|headphones
--bogus|2|stderr|unknown option '--bogus'
--sing extra|2|stderr|unexpected argument 'extra'
-platform|2|stderr|option '-platform' needs a value
-platform offscreen --version|0|stdout|^zorvanta [0-9]
TABLE
rm -rf "$cli"

pid="" pa=""
start_work pid pa
. "$(dirname "${BASH_SOURCE[0]}")/pulse_server.sh"
pulse_private_env "$work"
pulse_start "$work" || fail "private PulseAudio did not start"
pactl load-module module-null-sink sink_name=mic rate=16000 channels=1 >/dev/null
pactl set-default-sink cap
pactl set-default-source mic.monitor

start_program() {
  ZORVANTA_TRACE=1 QT_QPA_PLATFORM=xcb "$binary" "$@" >"$work/out.log" 2>"$work/err.log" &
  pid=$!
  wid="$(game_window "$pid")"
  [ -n "$wid" ] || fail "no window"
}
quit_program() {
  press_on "$wid" Escape
  wait_exit "$pid" 10 || fail "zorvanta did not quit"
  pid=""
}
# The program's capture streams (the loopback's own is not one of them).
captures() { pactl list source-outputs 2>/dev/null | grep -c 'application.name = "Zorvanta"' || true; }
# sing <MIDI notes...>: the singer into the virtual microphone; returns when sung.
sing() { "$singer" "$work/voice.wav" 450 "$@" && paplay -d mic "$work/voice.wav"; }

# 2. Without --sing: no capture stream once the window is up (and a key sounds).
start_program
sleep 1.5
press_on "$wid" q
sleep 0.5
[ "$(captures)" = 0 ] || fail "a capture stream without --sing"
quit_program
echo "without --sing: no capture stream"

# 3. With --sing: one capture stream; the game's output looped back into the microphone.
start_program --sing
wait_for "$work/out.log" '^Voice: listening$' 10 || fail "the microphone was not opened"
[ "$(captures)" = 1 ] || fail "expected one capture stream, found $(captures)"
pactl load-module module-loopback source=cap.monitor sink=mic latency_msec=20 >/dev/null
# The answer is sung as a person echoes a melody: an octave below the piano (as a man
# would), from about 0.3 s after the question's last note, while it rings on at the
# microphone. Nothing but the sung notes is heard: not the chime, not the question.
# (A note of the name of a note the piano still rings, sung no louder than its echo,
# is heard only once the piano has died away: an answer with such a note is sung
# after the ring.)
xdotool mousemove --window "$wid" 549 266 click 1
wait_for "$work/out.log" '^sound \+\+\+do$' 5 || fail "no start chime"
notes=()
wait_sounds 6 10
mapfile -t question < <(sounds | sed -n '2,6p')
for name in "${question[@]}"; do notes+=($(($(midi "$name") - 12))); done
when="into the question's ring"
if named_while_ringing "${question[@]}" "${notes[@]}"; then
  when="after the question's ring"
  sleep 1.5
  ! grep -q '^sung ' "$work/out.log" || fail "the game's own sound was heard as singing: $(grep '^sung ' "$work/out.log" | tr '\n' ' ')"
fi
# (Writing the singer's file and starting the player take some 0.1-0.2 s.)
"$singer" --lead 150 "$work/voice.wav" 450 "${notes[@]}"
paplay -d mic "$work/voice.wav"
wait_sounds 11 10   # the next question
# Judged by pitch class, as the game judges: any octave of a sung note is that note.
classes() { for n in "$@"; do printf '%s ' $((n % 12)); done; }
heard="$(grep '^sung ' "$work/out.log" | cut -d' ' -f2 | tr '\n' ' ')"
# shellcheck disable=SC2086
[ "$(classes $heard)" = "$(classes "${notes[@]}")" ] || fail "question ${question[*]}: sung ${notes[*]}, heard $heard"
echo "question: ${question[*]}; no sung note from the game's own sound; answered right by singing $when: heard $heard"
# The next question's sounds, ringing out at the microphone, make no sung note either;
# a wrong note sung then is judged wrong.
mapfile -t question2 < <(sounds | sed -n '7,11p')
sleep 1.5
[ "$(grep -c '^sung ' "$work/out.log")" = 5 ] || fail "the game's own sound was heard as singing: $(grep '^sung ' "$work/out.log" | tr '\n' ' ')"
wrong=$(($(midi "${question2[0]}") + 1))
sing "$wrong"
sleep 1
xdotool key Escape
wait_for "$work/out.log" '^box ' 10 || fail "no summary box"
summary="$(grep '^box ' "$work/out.log" | tail -n 1)"
[[ "$summary" == *"問題数:2 / 正解数:1 "* ]] || fail "expected one right answer of two: $summary"
echo "a wrong note sung: judged wrong; summary: $summary"
# Each note judged as it starts, and ended before the next: starts and ends alternate.
awk '/^sung /{bad+=open; open=1} /^sung-end /{bad+=!open; open=0} END{exit bad>0}' "$work/out.log" ||
  fail "sung notes' starts and ends out of turn: $(grep '^sung' "$work/out.log" | tr '\n' ' ')"
box="$(timeout 10 xdotool search --sync --onlyvisible --name '音メロディー' | head -n 1)"
press_on "$box" Return
sleep 0.5
quit_program
[ "$(captures)" = 0 ] || fail "the capture stream outlived the program"
echo "e2e sing passed"
