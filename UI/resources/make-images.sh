#!/usr/bin/env bash
# Draws the updater's images (ImageMagick and the DejaVu fonts): the splash image and the main
# window's background. The PNG files are kept in the repository; run this after changing it.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
plain=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

convert -size 420x200 xc:'#1B2430' \
    -fill '#2E7DD1' -draw 'rectangle 0,150 420,156' \
    -font "$font" -pointsize 26 -fill '#F2F4F7' -annotate +24+70 'Brelune VANTA' \
    -font "$plain" -pointsize 16 -fill '#B8C2CF' -annotate +24+104 'Firmware Updater' \
    -font "$plain" -pointsize 12 -fill '#8A96A6' -annotate +24+136 'Halvex DJ' \
    -strip PNG32:Splash.png

convert -size 480x320 xc:'#202A36' \
    -fill '#2E7DD1' -draw 'rectangle 0,0 480,6' \
    -font "$font" -pointsize 20 -fill '#F2F4F7' -annotate +20+56 'Brelune VANTA' \
    -strip PNG32:MainWindow.png

# The program's own cursors, for the framework's split cursors: two bars with arrows away from
# them, across a horizontal split (SplitH) and across a vertical one (SplitV). A cursor resource
# is its hot spot (x and y, 16-bit little-endian) followed by the PNG image.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 32x32 xc:none -fill black -stroke white -strokewidth 1 \
    -draw 'polygon 15,1 22,8 18,8 18,11 13,11 13,8 9,8' \
    -draw 'rectangle 4,12 27,14' \
    -draw 'rectangle 4,17 27,19' \
    -draw 'polygon 15,30 22,23 18,23 18,20 13,20 13,23 9,23' \
    -strip PNG32:"$work/split-h.png"
convert "$work/split-h.png" -rotate 90 -strip PNG32:"$work/split-v.png"
{ printf '\x0f\x00\x0f\x00'; cat "$work/split-h.png"; } > SplitH.cursor
{ printf '\x10\x00\x0f\x00'; cat "$work/split-v.png"; } > SplitV.cursor

# The program's icon: a firmware image going down into the device.
convert -size 48x48 xc:none \
    -fill '#2E7DD1' -draw 'roundrectangle 1,1 46,46 8,8' \
    -fill '#F2F4F7' -draw 'polygon 24,38 35,25 28,25 28,9 20,9 20,25 13,25' \
    -draw 'rectangle 11,40 36,42' \
    -strip PNG32:Icon.png
