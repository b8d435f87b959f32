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
