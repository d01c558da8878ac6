#!/bin/sh
# Copies a CRC-protected MP3 whose first frame is lame's information frame,
# with the "Xing"/"Info" tag moved two bytes on: lame leaves the tag where
# it would stand without the CRC, other encoders put it after the side
# information, which the CRC after the header moves.
set -eu
perl -e '
  local $/;
  open(my $in, "<:raw", $ARGV[0]) or die "$ARGV[0]: $!\n";
  my $data = <$in>;
  my @h = unpack("C4", $data);
  die "$ARGV[0]: no protected MPEG 1 layer III frame first\n" unless $h[0] == 0xFF && ($h[1] & 0xFF) == 0xFA;
  my @bitrates = (0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320);
  my @rates = (44100, 48000, 32000);
  my $length = int(144000 * $bitrates[$h[2] >> 4] / $rates[($h[2] >> 2) & 3]) + (($h[2] >> 1) & 1);
  my $tag = 4 + (($h[3] >> 6) == 3 ? 17 : 32);
  die "$ARGV[0]: no information tag\n" unless substr($data, $tag, 4) =~ /^(Xing|Info)$/;
  my $frame = substr($data, 0, $tag) . "\0\0" . substr($data, $tag, $length - $tag - 2);
  open(my $out, ">:raw", $ARGV[1]) or die "$ARGV[1]: $!\n";
  print $out $frame, substr($data, $length);
' "$1" "$2"
