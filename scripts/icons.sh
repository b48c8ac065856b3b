#!/usr/bin/env bash
# Renders the scalable icon into the hicolor PNG sizes and the window icon.
# Needs rsvg-convert (Debian package librsvg2-bin); the PNGs are committed.
set -euo pipefail
cd "$(dirname "$0")/../resources"

svg=icons/io.github.kestrune.Kestrune.svg
for size in 16 32 48 64 128 256; do
  mkdir -p "icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "icons/${size}x${size}/io.github.kestrune.Kestrune.png"
done
# The window's own icon, compiled into the program (kestrune.qrc).
rsvg-convert -w 64 -h 64 "$svg" -o kestrune.png
