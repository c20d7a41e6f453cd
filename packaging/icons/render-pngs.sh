#!/usr/bin/env bash
# Renders the icon's PNG sizes from the SVG, and the Windows icon (tolvane.ico, built into
# tolvane.exe and the installer) from them. Run by hand after the SVG changes, and commit the
# PNGs and the .ico: the build uses them as they are, so neither the build nor the package needs
# an SVG renderer. Needs rsvg-convert (Debian's librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")"
source=io.github.tolvane.Tolvane.svg
# What desktops ask the hicolor theme for: menus and panels (16-32), launchers and file
# managers (48-64), software centres (64, 128) and their HiDPI screens (256).
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$source" \
        --output "io.github.tolvane.Tolvane-$size.png"
done
# Windows picks a size from the .ico for the title bar and taskbar (16-32, more on HiDPI), the
# Start menu and Explorer's views (48-256). ImageMagick stores the small sizes as bitmaps and
# 256 as PNG, the format Windows expects at each.
convert $(for size in 16 24 32 48 64 128 256; do echo "io.github.tolvane.Tolvane-$size.png"; done) \
    tolvane.ico
