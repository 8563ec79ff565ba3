#!/bin/sh
# Renders the window icon from its drawing: halvex-export.svg -> halvex-export.png (64 px).
# Needs ImageMagick; the PNG is kept in the repository, so building does not.
set -e
cd "$(dirname "$0")"
convert -background none -density 96 halvex-export.svg -resize 64x64 PNG32:halvex-export.png
