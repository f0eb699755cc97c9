#!/bin/sh
# Redraws app.ico (16, 32 and 48 pixels) with ImageMagick: a blue box with a white arrow
# going down into a tray. Run from any folder; writes beside this script.
set -eu
here=$(dirname "$0")
convert -size 256x256 xc:none \
    -fill '#1f5fae' -draw 'roundrectangle 8,8 247,247 40,40' \
    -fill '#3f86d8' -draw 'roundrectangle 20,20 235,235 30,30' \
    -fill white -draw 'polygon 100,36 156,36 156,110 196,110 128,178 60,110 100,110' \
    -fill white -draw 'roundrectangle 44,190 212,218 10,10' \
    -define icon:auto-resize=48,32,16 "$here/app.ico"
