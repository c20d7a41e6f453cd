#!/usr/bin/env bash
# Renders the icon's PNG sizes from the SVG. Run by hand after the SVG changes, and commit the
# PNGs: the build installs them as they are, so neither the build nor the package needs an SVG
# renderer. Needs rsvg-convert (Debian's librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
source=io.github.tolvane.Tolvane.svg
# What desktops ask the hicolor theme for: menus and panels (16-32), launchers and file
# managers (48-64), software centres (64, 128) and their HiDPI screens (256).
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$source" \
        --output "io.github.tolvane.Tolvane-$size.png"
done
