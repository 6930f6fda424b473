#!/usr/bin/env bash
# Draws the program's icon at the hicolor theme's usual sizes with ImageMagick,
# in the same recipe as resources/app/make_skins.sh (the 16 and 48 px icons
# the program embeds are copied, so the desktop and the window show one
# picture), and the Windows installer's icon from them. Run from anywhere;
# the pictures are committed and installed by CMake.
set -euo pipefail
cd "$(dirname "$0")"
FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
BLUE='#1e6fd9'
APP=../resources/app
ICONS=linux/icons
png() { convert "${@:1:$#-1}" -define png:exclude-chunks=date,time -strip "PNG32:${@: -1}"; }

# size -> the 48 px recipe scaled: corner radius 9/48, "K" at 30/48 of the side.
draw() {
  local s=$1 r p
  r=$(((9 * s + 24) / 48))
  p=$(((30 * s + 24) / 48))
  png -size "${s}x${s}" xc:none -fill "$BLUE" -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $r,$r" \
      -fill white -font "$FONT" -pointsize "$p" -gravity center -annotate +0+0 "K" "$ICONS/$s.png"
}

cp "$APP/KestruneIcon16.png" $ICONS/16.png
cp "$APP/KestruneIcon48.png" $ICONS/48.png
# Small sizes: downscaled from 48 px as the 16 px one is.
for s in 22 24 32; do png "$APP/KestruneIcon48.png" -resize "${s}x${s}" "$ICONS/$s.png"; done
for s in 64 128 256; do draw "$s"; done
# The installer's and uninstaller's icon.
convert $ICONS/16.png $ICONS/24.png $ICONS/32.png $ICONS/48.png $ICONS/64.png $ICONS/256.png windows/kestrune.ico
