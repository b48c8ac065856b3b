#!/usr/bin/env bash
# Builds the fuzzers of the OFF reader, of the options text, of the texture
# decoder and of the import of other formats with clang
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for
# a bounded time (FUZZ_SECONDS, 20 by default) on a scratch copy of its seed
# corpus. Fails when a fuzzer finds a crash; the input is kept in build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-20}"
out=build/fuzz
mkdir -p "$out"
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is needed to build the fuzzers" >&2
  exit 1
fi

cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKESTRUNE_FUZZ=ON -DKESTRUNE_GUI=OFF >/dev/null
cmake --build "$out" --target fuzz_off_reader fuzz_options fuzz_texture fuzz_import -j"$(nproc)"
fuzzers="$out/tests/fuzz"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
run() {
  local name="$1" corpus="$2"
  shift 2
  rm -f "$out/$name-"*
  mkdir -p "$scratch/$name"
  cp "$corpus"/* "$scratch/$name/"
  echo "== $name: ${seconds} s"
  "$fuzzers/$name" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/$name-" -print_final_stats=1 "$@" "$scratch/$name" 2>&1 |
    grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|broken|SUMMARY|artifact" || true
  # The pipeline hides the fuzzer's status: a crash leaves an artifact.
  if ls "$out/$name-"* >/dev/null 2>&1; then
    echo "$name: crash inputs kept in $out" >&2
    return 1
  fi
}
status=0
run fuzz_off_reader tests/fuzz/corpus_off -dict=tests/fuzz/off.dict || status=1
run fuzz_options tests/fuzz/corpus_options || status=1
run fuzz_texture tests/fuzz/corpus_texture || status=1
run fuzz_import tests/fuzz/corpus_import -max_len=65536 -rss_limit_mb=3072 || status=1
exit $status
