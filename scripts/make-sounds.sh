#!/usr/bin/env bash
# Makes the desk's three sounds (src/platform/sounds), which are committed and
# built into the program: run it again only to change them. Needs sox.
# 16-bit mono at 22050 Hz keeps each file a few kilobytes; no dither, so the
# same command always gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/../src/platform/sounds"

# Qt 6.4 on PulseAudio stops a sound once it has handed its last bytes to the
# server, dropping what the server had yet to play (up to 130 ms measured):
# 0.2 s of silence at the end of each file lets the whole sound be heard.
make() {
    local file=$1
    shift
    sox -D -n -r 22050 -b 16 -c 1 "$file" "$@" pad 0 0.2
}

# Recorded: a soft bell-like beep, high and short, that fades out.
make recorded.wav synth 0.15 sine 1319 fade q 0.005 0.15 0.1 gain -6
# Refused: two low buzzes, so that it cannot be taken for the beep.
make refused.wav synth 0.1 square 196 gain -12 lowpass 4000 fade h 0.005 0.1 0.02 \
  pad 0 0.05 repeat 1 trim 0 0.25
# Waiting: a brief tick, asking the pupil to look at the screen.
make waiting.wav synth 0.05 triangle 1760 fade q 0.002 0.05 0.04 gain -6
