#!/usr/bin/env bash
# The randomized editing run of the sanitizer build from fresh seeds, for
# people to run (the test command uses fixed ones, scripts/sanitize.sh).
# RUNS seeds (3 by default) of KESTRUNE_RANDOM_FRAMES frames (2000); a failure
# names its seed, and KESTRUNE_RANDOM_SEED=N replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_SANITIZE=ON \
  -DKESTRUNE_GUI=OFF -DKESTRUNE_TESTS=ON -DKESTRUNE_BENCH=OFF -DKESTRUNE_ASSERTS=ON >/dev/null
cmake --build build/sanitize --target test_app -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for _ in $(seq "${RUNS:-3}"); do
  seed="$RANDOM$RANDOM"
  echo "randomized editing, KESTRUNE_RANDOM_SEED=$seed"
  KESTRUNE_RANDOM_SEED="$seed" KESTRUNE_RANDOM_FRAMES="${KESTRUNE_RANDOM_FRAMES:-2000}" \
    build/sanitize/tests/test_app --gtest_filter='RandomEditing*' --gtest_brief=1
done
