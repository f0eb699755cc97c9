#!/bin/sh
# Redraws app.ico (16, 32 and 48 pixels) with ImageMagick: a blue box with a white arrow
# going down into a tray. Each image is stored PNG-compressed (Windows reads those since Vista),
# a tenth of the bytes of a 32-bit bitmap; the icon is most of what setup.exe's size budget
# spends on pictures. Run from any folder; writes beside this script. Needs python3.
set -eu
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 32 48; do
    convert -size 256x256 xc:none \
        -fill '#1f5fae' -draw 'roundrectangle 8,8 247,247 40,40' \
        -fill '#3f86d8' -draw 'roundrectangle 20,20 235,235 30,30' \
        -fill white -draw 'polygon 100,36 156,36 156,110 196,110 128,178 60,110 100,110' \
        -fill white -draw 'roundrectangle 44,190 212,218 10,10' \
        -resize "${size}x${size}" -strip -define png:compression-level=9 "png32:$work/$size.png"
done
python3 - "$work" "$here/app.ico" <<'PY'
import struct, sys
work, target = sys.argv[1], sys.argv[2]
images = [open(f"{work}/{size}.png", "rb").read() for size in (16, 32, 48)]
header = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
entries = b""
for size, data in zip((16, 32, 48), images):
    entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open(target, "wb").write(header + entries + b"".join(images))
PY
