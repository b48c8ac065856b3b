#!/usr/bin/env bash
# Installs what is missing, builds everything (assertions on) and runs the whole test suite:
# the fuzzers' fixed replay, the sanitizer run, then every test through CTest. Every step is
# the same from one run to the next (the random runs are scripts/fuzz.sh without --replay and
# scripts/random_editing.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/packages.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=ON -DKESTRUNE_BENCH=ON \
  -DKESTRUNE_WERROR=ON -DKESTRUNE_ASSERTS=ON >/dev/null
cmake --build build/test -j"$(nproc)"
bash scripts/fuzz.sh --replay
bash scripts/sanitize.sh
ctest --test-dir build/test --output-on-failure -j"$(nproc)"
