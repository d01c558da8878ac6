#!/bin/sh
# What a host decoder makes of an MP3 file: writes "<frames> <peak>" to the
# output file, the frames (samples per channel) and the largest absolute
# 16-bit sample value, as mpg123 decodes it without gapless trimming (every
# frame whole, as the platform's codec gives it).
set -eu
wav="$2.wav"
mpg123 -q --no-gapless -w "$wav" "$1"
channels=$(od -An -j22 -N2 -tu2 "$wav" | tr -d ' ')
tail -c +45 "$wav" | od -An -v -td2 -w2 |
  awk -v channels="$channels" \
    '{ v = $1 < 0 ? -$1 : $1; if (v > peak) peak = v; n++ } END { printf "%d %d\n", n / channels, peak }' > "$2"
rm -f "$wav"
