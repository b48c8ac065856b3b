#!/usr/bin/env bash
# Builds the fuzzers of the OFF reader, of the options text, of the texture
# decoder and of the import of other formats with clang
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer, assertions on) and runs each for
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
  -DKESTRUNE_FUZZ=ON -DKESTRUNE_GUI=OFF -DKESTRUNE_ASSERTS=ON >/dev/null
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
# The import fuzzer drives the Open Asset Import Library, whose readers leak,
# crash and run out of memory on some inputs (the program reads models in a
# child process for that reason). Each crash is replayed: it fails the run
# when its first frame outside the C and C++ runtimes lies in our code, and is
# counted as the library's otherwise.
ours_at_top() {
  grep -E '^ +#[0-9]+ ' | grep -vE 'libc\.so|libstdc\+\+|libgcc|in __interceptor_|in __asan|in __sanitizer|in operator new|in operator delete|in malloc|in free|in realloc|in calloc' |
    head -1 | grep -qv 'libassimp'
}
run_import() {
  local name=fuzz_import
  rm -rf "$out/$name-"* "$out/library-faults"
  mkdir -p "$scratch/$name" "$out/library-faults"
  cp tests/fuzz/corpus_import/* "$scratch/$name/"
  echo "== $name: ${seconds} s"
  ASAN_OPTIONS=detect_leaks=0 "$fuzzers/$name" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=3072 -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
    -artifact_prefix="$out/$name-" "$scratch/$name" > "$out/$name.log" 2>&1 || true
  grep -E "^#[0-9]+: .*oom/timeout/crash" "$out/$name.log" | tail -1
  local ours=0
  for input in "$out/$name-crash-"*; do
    [ -e "$input" ] || continue
    report=$(ASAN_OPTIONS=detect_leaks=0 timeout 60 "$fuzzers/$name" "$input" 2>&1 || true)
    if grep -q "broken:" <<<"$report" || ours_at_top <<<"$report"; then
      echo "$name: a crash in our code, input kept as $input" >&2
      grep -E "broken:|SUMMARY|^ +#[0-9]+ " <<<"$report" | head -12 >&2
      ours=1
    else
      mv "$input" "$out/library-faults/"
    fi
  done
  echo "$name: $(find "$out/library-faults" -type f | wc -l) crashes inside the library, kept in $out/library-faults"
  return $ours
}
status=0
run fuzz_off_reader tests/fuzz/corpus_off -dict=tests/fuzz/off.dict || status=1
run fuzz_options tests/fuzz/corpus_options || status=1
run fuzz_texture tests/fuzz/corpus_texture || status=1
run_import || status=1
exit $status
