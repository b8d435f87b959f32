#!/usr/bin/env bash
# Makes the cursor and icon resources of the window tests (ImageMagick). A cursor resource is its
# hot spot (x and y, 16-bit little-endian) followed by a PNG image.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 16 x 16: red above, green below, the last column clear; hot spot (3, 5).
convert -size 16x16 xc:'#FF0000' -fill '#00FF00' -draw 'rectangle 0,8 15,15' \
    -alpha set -region 1x16+15+0 -alpha transparent +region \
    -strip PNG32:"$work/cursor.png"
{ printf '\x03\x00\x05\x00'; cat "$work/cursor.png"; } > Cursor.cursor
# The same picture with its hot spot outside it.
{ printf '\x28\x00\x00\x00'; cat "$work/cursor.png"; } > HotSpotOutside.cursor
# A hot spot and no picture.
{ printf '\x01\x00\x01\x00'; printf 'no picture here'; } > NoPicture.cursor
# 8 x 8: blue, its top left pixel yellow.
convert -size 8x8 xc:'#0000FF' -fill '#FFFF00' -draw 'point 0,0' -strip PNG32:Icon.png
