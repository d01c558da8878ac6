#!/bin/sh
# Encodes a tone with lame: tone.sh SECONDS CHANNELS OUT.mp3 [lame options]
# writes SECONDS of a 440 Hz tone (with 660 Hz on the second channel of a
# stereo tone), 16-bit at 44100 Hz, synthesised one second at a time.
set -eu
seconds=$1 channels=$2 out=$3
shift 3
mode=m
[ "$channels" = 2 ] && mode=j
perl -e '
  my ($seconds, $channels) = @ARGV;
  my $rate = 44100;
  my $pi = 4 * atan2(1, 1);
  my @one;
  for my $i (0 .. $rate - 1) {
    push @one, int(12000 * sin(2 * $pi * 440 * $i / $rate));
    push @one, int(9000 * sin(2 * $pi * 660 * $i / $rate)) if $channels == 2;
  }
  my $second = pack("s<*", @one);
  my $whole = int($seconds);
  print $second for 1 .. $whole;
  my $rest = int(($seconds - $whole) * $rate) * 2 * $channels;
  print substr($second, 0, $rest);
' "$seconds" "$channels" |
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m "$mode" "$@" - "$out"
