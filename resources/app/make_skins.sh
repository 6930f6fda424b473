#!/usr/bin/env bash
# Draws the program's own icon (tray and windows) with ImageMagick, in the
# colours of the skins in ../skins. Run from this folder; the PNGs are
# committed and embedded by the build.
set -euo pipefail
cd "$(dirname "$0")"
FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
BLUE='#1e6fd9'
png() { convert "${@:1:$#-1}" -define png:exclude-chunks=date,time -strip "PNG32:${@: -1}"; }

png -size 48x48 xc:none -fill "$BLUE" -draw "roundrectangle 0,0 47,47 9,9" -fill white \
    -font "$FONT" -pointsize 30 -gravity center -annotate +0+0 "K" KestruneIcon48.png
png KestruneIcon48.png -resize 16x16 KestruneIcon16.png
