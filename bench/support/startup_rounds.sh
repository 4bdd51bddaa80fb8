#!/usr/bin/env bash
# Start-up on an X server (DISPLAY set; QT_QPA_PLATFORM=xcb): the programs run in
# turn, one warm-up run each (discarded), then <runs> rounds, each program once a
# round, so that a change in the machine's load touches them all alike. Per program
# NAME it appends to <out>/expose.NAME the spawn to the window's first Expose, to
# <out>/paint.NAME the spawn to its first painted frame, and to <out>/main.NAME the
# entry of main() where the program reports it (all in ms, from bench_probe). A run
# whose map the probe did not see leaves no expose figure; <out>/unseen.NAME counts
# them.
#   startup_rounds.sh <bench_probe> <runs> <out> NAME=PROGRAM...
set -euo pipefail
probe=$1 runs=$2 out=$3
shift 3
[ -n "${DISPLAY:-}" ] || { echo "startup_rounds.sh: no X server (DISPLAY is not set)" >&2; exit 1; }
for p in "$@"; do "$probe" --runs 1 --hold-ms 200 -- "${p#*=}" >/dev/null; done
for i in $(seq 1 "$runs"); do
  for p in "$@"; do
    name=${p%%=*}
    "$probe" --runs 1 --hold-ms 200 -- "${p#*=}" >"$out/probe.out"
    awk '$1 == "run" && $10 != "-" {print $10}' "$out/probe.out" >>"$out/expose.$name"
    awk '$1 == "run" && $10 == "-" {print 1}' "$out/probe.out" >>"$out/unseen.$name"
    awk '$1 == "run" {print $4}' "$out/probe.out" >>"$out/paint.$name"
    awk '$1 == "phase" && $2 == "main" {print $3}' "$out/probe.out" >>"$out/main.$name"
  done
done
