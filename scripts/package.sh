#!/usr/bin/env bash
# Builds the Debian package: a Release build without tests and benchmarks,
# then CPack. The .deb lands in build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/packages.sh
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF -DKESTRUNE_BENCH=OFF >/dev/null
cmake --build build/package -j"$(nproc)"
(cd build/package && cpack -G DEB)
ls build/package/kestrune_*.deb
