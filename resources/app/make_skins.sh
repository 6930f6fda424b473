#!/usr/bin/env bash
# Draws the application shell's skin pictures (main window, pages, dialogs,
# icons) with ImageMagick. Flat look: navy title strip, blue accents, white
# pages. Run from this folder; the PNGs are committed and embedded by the build.
set -euo pipefail
cd "$(dirname "$0")"
FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
NAVY='#1b2a41'; BLUE='#1e6fd9'; BLUE_HI='#3d86e6'; BLUE_DN='#1656ab'; GREY='#9a9a9a'
png() { convert "${@:1:$#-1}" -define png:exclude-chunks=date,time -strip "PNG32:${@: -1}"; }

# Strip of N frames, each W x H, colours given per frame.
strip() {  # name w h colours...
  local name=$1 w=$2 h=$3; shift 3
  local args=()
  for c in "$@"; do args+=( "(" -size ${w}x${h} "xc:$c" ")" ); done
  png "${args[@]}" +append "$name.png"
}
# Strip of 4 frames with a caption drawn on each frame.
text_strip() {  # name w h size textcolour text c1 c2 c3 c4
  local name=$1 w=$2 h=$3 size=$4 fg=$5 text=$6; shift 6
  local args=()
  for c in "$@"; do
    args+=( "(" -size ${w}x${h} "xc:$c" -font "$FONT" -pointsize "$size" -fill "$fg" -gravity center -annotate +0+0 "$text" ")" )
  done
  png "${args[@]}" +append "$name.png"
}
# A glyph button strip (27 x 22 frames): normal, hover, down, disabled.
glyph_strip() {  # name draw-args
  local name=$1 draw=$2 args=()
  for c in none '#ffffff33' '#00000033' none; do
    args+=( "(" -size 27x22 "xc:$c" -stroke white -strokewidth 1.5 -fill none -draw "$draw" ")" )
  done
  png "${args[@]}" +append "$name.png"
}

# Main window: title and tab strip backdrop, tab items (normal, hover, selected).
png -size 880x120 gradient:"$NAVY"-'#24406a' AppMainTabBack.png
strip AppTabItem 72 80 none '#ffffff22' '#ffffff44'
glyph_strip AppBtnOption "line 8,7 19,7 line 8,11 19,11 line 8,15 19,15"
glyph_strip AppBtnMin "line 8,12 19,12"
glyph_strip AppBtnClose "line 9,6 18,15 line 18,6 9,15"
# Tab icons (white glyphs on transparent, 32 x 32).
icon() { png -size 32x32 xc:none -stroke white -strokewidth 2 -fill none -draw "$2" "$1.png"; }
icon AppTabIconHome "polyline 4,16 16,5 28,16 polyline 8,13 8,27 24,27 24,13"
icon AppTabIconVideo "rectangle 4,7 28,25 polygon 13,11 13,21 21,16"
icon AppTabIconSearch "circle 14,14 14,6 line 20,20 28,28"
icon AppTabIconSkill "polygon 16,3 20,12 29,13 22,19 24,28 16,23 8,28 10,19 3,13 12,12"
icon AppTabIconTV "rectangle 4,8 28,25 line 11,3 16,8 line 21,3 16,8"

# Optimisation page: check box (8 frames: normal, hover, down, -, -, checked...),
# list face (3 frames), Apply, Start and Restore buttons.
cb() { echo "( -size 16x16 xc:none -fill $1 -stroke $2 -draw \"rectangle 1,1 14,14\" $3 )"; }
png \( -size 16x16 xc:none -fill white -stroke '#b5b5b5' -draw "rectangle 1,1 14,14" \) \
    \( -size 16x16 xc:none -fill white -stroke "$BLUE" -draw "rectangle 1,1 14,14" \) \
    \( -size 16x16 xc:none -fill '#e8f0fc' -stroke "$BLUE" -draw "rectangle 1,1 14,14" \) \
    \( -size 16x16 xc:none -fill '#f0f0f0' -stroke '#d0d0d0' -draw "rectangle 1,1 14,14" \) \
    \( -size 16x16 xc:none -fill '#f0f0f0' -stroke '#d0d0d0' -draw "rectangle 1,1 14,14" \) \
    \( -size 16x16 xc:none -fill "$BLUE" -stroke "$BLUE" -draw "rectangle 1,1 14,14" -stroke white -strokewidth 2 -fill none -draw "polyline 4,8 7,11 12,5" \) \
    \( -size 16x16 xc:none -fill "$BLUE_HI" -stroke "$BLUE_HI" -draw "rectangle 1,1 14,14" -stroke white -strokewidth 2 -fill none -draw "polyline 4,8 7,11 12,5" \) \
    \( -size 16x16 xc:none -fill "$BLUE_DN" -stroke "$BLUE_DN" -draw "rectangle 1,1 14,14" -stroke white -strokewidth 2 -fill none -draw "polyline 4,8 7,11 12,5" \) \
    +append AppCheckBox.png
face() { echo "-size 164x26 xc:white -fill none -stroke $1 -draw 'rectangle 0,0 163,25'"; }
png \( -size 164x26 xc:white -fill none -stroke '#c8c8c8' -draw "rectangle 0,0 163,25" -fill '#777777' -stroke none -draw "polygon 148,11 156,11 152,16" \) \
    \( -size 164x26 xc:white -fill none -stroke "$BLUE" -draw "rectangle 0,0 163,25" -fill "$BLUE" -stroke none -draw "polygon 148,11 156,11 152,16" \) \
    \( -size 164x26 xc:'#f2f7fe' -fill none -stroke "$BLUE_DN" -draw "rectangle 0,0 163,25" -fill "$BLUE_DN" -stroke none -draw "polygon 148,11 156,11 152,16" \) \
    +append AppComboFace.png
text_strip AppBtnApply 180 50 20 white "一键优化" "$BLUE" "$BLUE_HI" "$BLUE_DN" "$GREY"
text_strip AppBtnStartGame 94 44 14 white "启动游戏" '#f08101' '#f59a2e' '#c96b00' "$GREY"
text_strip AppBtnRestore 80 26 12 white "还原" "$BLUE" "$BLUE_HI" "$BLUE_DN" "$GREY"
text_strip AppBtnChoose 120 36 1 white " " "$BLUE" "$BLUE_HI" "$BLUE_DN" "$GREY"

# Dialogs: backdrop (370 x 60, title bar in the top 40 rows), buttons.
png -size 370x60 xc:white -fill "$BLUE" -draw "rectangle 0,0 369,29" -fill '#e6e6e6' -draw "line 0,59 369,59" AppDialogBack.png
strip AppDialogButton 75 26 '#f5f5f5' '#eaf2fd' '#d6e6fb' '#eeeeee'
strip AppForm3CloseGame 102 32 '#f5f5f5' '#eaf2fd' '#d6e6fb' '#eeeeee'
strip AppForm3Ok 82 32 "$BLUE" "$BLUE_HI" "$BLUE_DN" "$GREY"
png -size 48x48 xc:none -fill '#f0a020' -draw "polygon 24,3 46,44 2,44" -fill white -font "$FONT" -pointsize 28 -gravity center -annotate +0+4 "!" AppWarning48.png
# Companion-program dialog: the whole message as artwork.
png -size 540x328 xc:white -fill "$NAVY" -draw "rectangle 0,0 539,229" \
    -font "$FONT" -fill white -pointsize 16 -annotate +40+50 "亲爱的玩家，您好！" \
    -pointsize 13 -annotate +40+85 "当前版本的 Kestrune 与 Orvane 存在兼容问题，暂时无法同时运行。" \
    -annotate +186+137 "我们正在全力修复，进度请关注" -annotate +498+137 "与" \
    -annotate +150+160 "，第一时间了解修复进展。" \
    -fill "$NAVY" -pointsize 14 -annotate +175+248 "请选择您现在要使用的程序：" AppForm4Back.png
text_strip AppForm4BtnPUBG 172 46 16 white "Kestrune" "$BLUE" "$BLUE_HI" "$BLUE_DN" "$GREY"
text_strip AppForm4BtnOrvane 172 46 16 white "Orvane" '#f08101' '#f59a2e' '#c96b00' "$GREY"
png \( -size 119x28 xc:'#e04040' -font "$FONT" -pointsize 12 -fill white -gravity center -annotate +0+0 "官方社交主页" \) \
    \( -size 119x28 xc:'#e86060' -font "$FONT" -pointsize 12 -fill white -gravity center -annotate +0+0 "官方社交主页" \) \
    \( -size 119x28 xc:'#b83030' -font "$FONT" -pointsize 12 -fill white -gravity center -annotate +0+0 "官方社交主页" \) \
    +append AppForm4Social.png
# About box logos and divider.
png -size 52x52 xc:none -fill "$BLUE" -draw "roundrectangle 0,0 51,51 10,10" -fill white -font "$FONT" -pointsize 30 -gravity center -annotate +0+0 "K" AppProductLogo.png
png -size 52x52 xc:none -fill '#f08101' -draw "roundrectangle 0,0 51,51 10,10" -fill white -font "$FONT" -pointsize 30 -gravity center -annotate +0+0 "O" AppMakerLogo.png
png -size 1x160 xc:'#e0e0e0' AppDivider.png

# Program icon (tray and windows): 16 x 16 and 48 x 48.
png -size 48x48 xc:none -fill "$BLUE" -draw "roundrectangle 0,0 47,47 9,9" -fill white -font "$FONT" -pointsize 30 -gravity center -annotate +0+0 "K" KestruneIcon48.png
png KestruneIcon48.png -resize 16x16 KestruneIcon16.png
