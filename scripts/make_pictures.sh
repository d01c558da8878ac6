#!/bin/sh
# Draws the trainer's pictures into resources/pictures/ with ImageMagick:
# the main window's background tile, the tool-bar images and the faces of
# the picture buttons. Run from anywhere; the generated files are checked in.
#
# Tool-bar and button images are 24-bit BMPs on magenta: the bottom-left
# pixel is the colour the buttons draw as transparent, so no drawing may
# touch that corner.
set -eu

OUT="$(cd "$(dirname "$0")/.." && pwd)/resources/pictures"
mkdir -p "$OUT"
FONT=DejaVu-Sans-Bold
MASK='#FF00FF'

bmp() { # size file draw-arguments...
  size=$1 file=$2
  shift 2
  # No anti-aliasing: a blended edge pixel would be neither the mask colour
  # nor the picture, and would show as a fringe.
  convert +antialias -size "${size}x${size}" "xc:$MASK" "$@" -type truecolor "BMP3:$OUT/$file"
}

# --- Background: pale paper with a faint diagonal lattice that repeats
# seamlessly (every line wraps onto its continuation at the opposite edge),
# and a few letters in the middles of its cells.
convert -size 128x128 xc:'#EEF1F5' \
  -stroke '#E1E7EE' -strokewidth 1 \
  -draw 'line 0,0 128,128' -draw 'line 0,64 64,128' -draw 'line 64,0 128,64' \
  -draw 'line 0,128 128,0' -draw 'line 0,64 64,0' -draw 'line 64,128 128,64' \
  -stroke none -fill '#D8E0EA' -font DejaVu-Serif -pointsize 20 -gravity center \
  -draw "text 0,-32 'a'" -draw "text -32,0 'ę'" -draw "text 32,0 'ó'" -draw "text 0,32 'ż'" \
  -quality 90 "$OUT/background.jpg"

# --- Tool-bar images, 32 x 32.
bmp 32 tb_presentation.bmp \
  -fill '#FFFFFF' -stroke '#3A5A8C' -strokewidth 2 \
  -draw 'polygon 3,8 15,6 16,26 3,27' -draw 'polygon 29,8 17,6 16,26 29,27' \
  -stroke '#3A5A8C' -strokewidth 1 \
  -draw 'line 6,12 13,11' -draw 'line 6,16 13,15' -draw 'line 6,20 13,19' \
  -draw 'line 19,11 26,12' -draw 'line 19,15 26,16' -draw 'line 19,19 26,20'
bmp 32 tb_learning.bmp \
  -fill '#FFE070' -stroke '#8C6A10' -strokewidth 2 -draw 'circle 16,13 16,4' \
  -fill '#A0A0A0' -stroke '#505050' -draw 'rectangle 12,22 20,27' \
  -stroke '#8C6A10' -strokewidth 1 -draw 'line 13,18 16,13' -draw 'line 19,18 16,13'
bmp 32 tb_test.bmp \
  -fill '#FFFFFF' -stroke '#505050' -strokewidth 1 -draw 'rectangle 6,3 26,28' \
  -fill none -stroke '#1E9A3A' -strokewidth 3 -draw 'polyline 10,16 15,22 24,8'
bmp 32 tb_grades.bmp \
  -fill '#C0392B' -stroke '#7A2018' -strokewidth 1 -draw 'rectangle 5,3 26,28' \
  -fill '#FFFFFF' -stroke none -draw 'rectangle 9,6 24,25' \
  -fill '#7A2018' -font "$FONT" -pointsize 17 -draw "text 11,22 '5'"
bmp 32 tb_editor.bmp \
  -fill '#FFFFFF' -stroke '#505050' -strokewidth 1 -draw 'rectangle 4,4 22,28' \
  -stroke '#909090' -draw 'line 7,9 19,9' -draw 'line 7,13 19,13' -draw 'line 7,17 15,17' \
  -fill '#F0B030' -stroke '#6A4A10' -draw 'polygon 26,6 29,9 16,22 13,19' \
  -fill '#303030' -stroke none -draw 'polygon 13,19 16,22 11,24'
bmp 32 tb_settings.bmp \
  -fill '#7A8A9A' -stroke '#3A4A5A' -strokewidth 1 \
  -draw 'rectangle 14,2 18,30' -draw 'rectangle 2,14 30,18' \
  -draw 'polygon 6,9 9,6 26,23 23,26' -draw 'polygon 23,6 26,9 9,26 6,23' \
  -draw 'circle 16,16 16,6' -fill '#FFFFFF' -draw 'circle 16,16 16,12'
bmp 32 tb_info.bmp \
  -fill '#2E6FC0' -stroke '#1A3F70' -strokewidth 1 -draw 'circle 16,16 16,3' \
  -fill '#FFFFFF' -stroke none -draw 'circle 16,9 16,7' -draw 'rectangle 14,13 18,25'

# --- Picture-button faces, 24 x 24: base, over (lighter), down (darker,
# one pixel lower and to the right). Each symbol is drawn by one function
# of the fill colour, the outline colour and the offset.
face() { # name symbol-function
  name=$1 draw=$2
  $draw '#3C78C8' '#1E3C64' 0 base
  $draw '#6FA4E8' '#2C5A96' 0 over
  $draw '#28508A' '#0E1E34' 1 down
}

sym_add() { # fill outline offset face
  o=$3
  bmp 24 "btn_add_$4.bmp" -fill "$1" -stroke "$2" -strokewidth 1 \
    -draw "rectangle $((9 + o)),$((3 + o)) $((14 + o)),$((20 + o))" \
    -draw "rectangle $((3 + o)),$((9 + o)) $((20 + o)),$((14 + o))" \
    -stroke none -draw "rectangle $((10 + o)),$((4 + o)) $((13 + o)),$((19 + o))"
}
sym_replace() {
  o=$3
  bmp 24 "btn_replace_$4.bmp" -fill "$1" -stroke "$2" -strokewidth 1 \
    -draw "polygon $((3 + o)),$((7 + o)) $((13 + o)),$((7 + o)) $((13 + o)),$((3 + o)) $((20 + o)),$((9 + o)) $((13 + o)),$((15 + o)) $((13 + o)),$((11 + o)) $((3 + o)),$((11 + o))" \
    -fill '#FFFFFF' \
    -draw "polygon $((20 + o)),$((14 + o)) $((10 + o)),$((14 + o)) $((10 + o)),$((10 + o)) $((3 + o)),$((16 + o)) $((10 + o)),$((21 + o)) $((10 + o)),$((18 + o)) $((20 + o)),$((18 + o))"
}
sym_delete() {
  o=$3
  bmp 24 "btn_delete_$4.bmp" -fill "$1" -stroke "$2" -strokewidth 1 \
    -draw "polygon $((4 + o)),$((7 + o)) $((7 + o)),$((4 + o)) $((12 + o)),$((9 + o)) $((17 + o)),$((4 + o)) $((20 + o)),$((7 + o)) $((15 + o)),$((12 + o)) $((20 + o)),$((17 + o)) $((17 + o)),$((20 + o)) $((12 + o)),$((15 + o)) $((7 + o)),$((20 + o)) $((4 + o)),$((17 + o)) $((9 + o)),$((12 + o))"
}
sym_sort() {
  o=$3
  bmp 24 "btn_sort_$4.bmp" -fill "$2" -stroke none -font "$FONT" -pointsize 9 \
    -draw "text $((2 + o)),$((10 + o)) 'A'" -draw "text $((2 + o)),$((21 + o)) 'Z'" \
    -fill "$1" -stroke "$2" -strokewidth 1 \
    -draw "polygon $((14 + o)),$((3 + o)) $((18 + o)),$((3 + o)) $((18 + o)),$((14 + o)) $((21 + o)),$((14 + o)) $((16 + o)),$((21 + o)) $((11 + o)),$((14 + o)) $((14 + o)),$((14 + o))"
}
# A person (head and shoulders) with a sign at the lower right.
sym_user() { # fill outline offset face file sign-arguments...
  fill=$1 outline=$2 o=$3 file=$5
  shift 5
  bmp 24 "$file" -fill "$fill" -stroke "$outline" -strokewidth 1 \
    -draw "circle $((9 + o)),$((7 + o)) $((9 + o)),$((3 + o))" \
    -draw "ellipse $((9 + o)),$((19 + o)) 7,6 180,360" "$@"
}
sym_adduser() {
  o=$3
  sym_user "$1" "$2" "$o" "$4" "btn_adduser_$4.bmp" -fill '#1E9A3A' -stroke '#0E4A1C' \
    -draw "rectangle $((17 + o)),$((10 + o)) $((19 + o)),$((20 + o))" \
    -draw "rectangle $((13 + o)),$((14 + o)) $((22 + o)),$((16 + o))"
}
sym_deluser() {
  o=$3
  sym_user "$1" "$2" "$o" "$4" "btn_deluser_$4.bmp" -fill none -stroke '#C0392B' -strokewidth 3 \
    -draw "line $((14 + o)),$((11 + o)) $((21 + o)),$((18 + o))" \
    -draw "line $((21 + o)),$((11 + o)) $((14 + o)),$((18 + o))"
}
sym_renameuser() {
  o=$3
  sym_user "$1" "$2" "$o" "$4" "btn_renameuser_$4.bmp" -fill '#F0B030' -stroke '#6A4A10' -strokewidth 1 \
    -draw "polygon $((20 + o)),$((8 + o)) $((22 + o)),$((10 + o)) $((15 + o)),$((19 + o)) $((13 + o)),$((17 + o))" \
    -fill '#303030' -stroke none -draw "polygon $((13 + o)),$((17 + o)) $((15 + o)),$((19 + o)) $((12 + o)),$((20 + o))"
}

face add sym_add
face replace sym_replace
face delete sym_delete
face sort sym_sort
face adduser sym_adduser
face deluser sym_deluser
face renameuser sym_renameuser
