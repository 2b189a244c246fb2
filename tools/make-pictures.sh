#!/usr/bin/env bash
# Draws the pictures of the first page and the desktop icon with ImageMagick.
# The JPEGs are embedded in the program; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")/.."
res=src/resources

# Maker's logo, 220 x 47: a green-gold drop on a dark band and the name.
convert -size 220x47 xc:'#1f3a5f' \
  -fill '#bccf13' -draw 'circle 24,23 24,8' \
  -fill '#1f3a5f' -draw 'circle 24,27 24,19' \
  -fill '#bccf13' -draw 'rectangle 44,38 212,40' \
  -font DejaVu-Sans-Bold -pointsize 20 -fill white -annotate +48+29 'VELMORA' \
  -font DejaVu-Sans -pointsize 9 -fill '#bccf13' -annotate +160+29 'gateway' \
  -strip -quality 92 "$res/logo.jpg"

# German flag, 32 x 20: black, red, gold.
convert -size 32x20 xc:'#000000' \
  -fill '#dd0000' -draw 'rectangle 0,7 31,13' \
  -fill '#ffce00' -draw 'rectangle 0,14 31,19' \
  -strip -quality 95 "$res/flag_de.jpg"

# British flag, 32 x 20: blue field, white and red saltire, white and red cross.
convert -size 32x20 xc:'#012169' \
  -stroke white -strokewidth 4 -draw 'line 0,0 31,19' -draw 'line 0,19 31,0' \
  -stroke '#c8102e' -strokewidth 1.5 -draw 'line 0,0 31,19' -draw 'line 0,19 31,0' \
  -stroke none -fill white -draw 'rectangle 12,0 19,19' -draw 'rectangle 0,7 31,12' \
  -fill '#c8102e' -draw 'rectangle 14,0 17,19' -draw 'rectangle 0,8 31,11' \
  -strip -quality 95 "$res/flag_gb.jpg"

# Desktop icon, 64 x 64: the logo's drop on a rounded square.
convert -size 64x64 xc:none \
  -fill '#1f3a5f' -draw 'roundrectangle 2,2 61,61 10,10' \
  -fill '#bccf13' -draw 'circle 32,36 32,16' \
  -fill '#1f3a5f' -draw 'circle 32,41 32,30' \
  -fill '#bccf13' -draw 'polygon 18,30 46,30 32,6' \
  -depth 8 -strip packaging/velmora.png
