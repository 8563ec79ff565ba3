#!/bin/sh
# Renders the program's icon from its drawing, halvex-export.svg: the sizes of
# the desktop's icon theme in hicolor/ (the package installs them, and the
# drawing itself as the scalable one) and the window's halvex-export.png
# (64 px). Needs rsvg-convert (Debian: librsvg2-bin); the PNGs are kept in
# the repository, so building does not.
set -e
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" halvex-export.svg -o "hicolor/${size}x${size}.png"
done
cp hicolor/64x64.png halvex-export.png
