#!/usr/bin/env bash
# Installs what is missing, builds the modeller in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/packages.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target kestrune -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. To run the modeller on a virtual screen:"
  echo "  xvfb-run -a -s '-screen 0 1024x768x24' build/release/kestrune"
  exit 1
fi
exec build/release/kestrune "$@"
