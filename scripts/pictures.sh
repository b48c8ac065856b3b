#!/usr/bin/env bash
# Draws the pictures of the example models shown in the README with
# kestrune-batch (built in build/release when missing, or the one given as
# the first argument) into docs/pictures/; the PNGs are committed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
batch="${1:-$root/build/release/kestrune-batch}"
if [ ! -x "$batch" ]; then
  cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF -DKESTRUNE_BENCH=OFF
  cmake --build "$root/build/release" -j"$(nproc)" --target kestrune-batch
  batch="$root/build/release/kestrune-batch"
fi
examples="$root/examples"
out="$root/docs/pictures"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# An orange uniform colour (0x00BBGGRR) for the model without a texture image.
printf 'option 0 = 2 \r\noption 1 = 256 \r\noption 2 = 3 \r\noption 3 = 1 \r\noption 4 = 1 \r\noption 5 = 1 \r\ntexture = %d \r\n' \
  $((0x3C96E6)) > "$work/options.txt"

picture() { "$batch" --size 256 "$@"; }
picture --turn 35,25 "$examples/cube.off" "$out/cube.png"
picture --turn 20,-55 "$examples/tore.off" "$out/tore.png"
picture --turn 30,-20 --edges --options "$work/options.txt" "$examples/tetraedre.off" "$out/tetraedre.png"
picture --view xoy --edges --axes --grid "$examples/tore.off" "$out/tore-xoy.png"
picture --turn 35,25 --edges "$examples/cube.off" "$out/cube-loop.png" triangles loop loop
ls -l "$out"
