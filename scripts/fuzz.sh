#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer, assertions on) and runs them:
#
#   bash scripts/fuzz.sh            random runs of FUZZ_SECONDS (20 by default) per fuzzer, each from a
#                                   scratch copy of its kept inputs (tests/fuzz/corpus_*)
#   bash scripts/fuzz.sh --replay   what the test command runs: every kept input once, then a mutation run
#                                   of a fixed number of inputs from fixed seeds, address randomization off,
#                                   so that it tries the same inputs every time
#
# A crash in our code fails either mode; its input is kept in build/fuzz. The
# Open Asset Import Library's readers crash, leak and run out of memory on
# some inputs (the program reads models in a child process for that reason):
# a crash whose first frame outside the runtimes lies in the library is
# counted and its input kept in build/fuzz/library-faults, never fatal.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=random
case "${1:-}" in
  --replay) mode=replay ;;
  "") ;;
  *) echo "usage: bash scripts/fuzz.sh [--replay]" >&2; exit 2 ;;
esac
seconds="${FUZZ_SECONDS:-20}"
out=build/fuzz
faults="$out/library-faults"
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is needed to build the fuzzers" >&2
  exit 1
fi

targets=(fuzz_off_reader fuzz_options fuzz_texture fuzz_import fuzz_fast_import)
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKESTRUNE_FUZZ=ON -DKESTRUNE_GUI=OFF -DKESTRUNE_ASSERTS=ON >/dev/null
cmake --build "$out" --target "${targets[@]}" -j"$(nproc)"
fuzzers="$out/tests/fuzz"
rm -rf "$faults" "$out"/fuzz_*-crash-* "$out"/fuzz_*-oom-* "$out"/fuzz_*-timeout-* "$out"/fuzz_*-leak-*
mkdir -p "$faults"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export UBSAN_OPTIONS=print_stacktrace=1
# The differential fuzzer writes its files in a folder of a fixed name, so
# that the paths it compares are the same from one run to the next.
export KESTRUNE_FUZZ_SCRATCH="$PWD/$out/scratch-fast-import"
rm -rf "$KESTRUNE_FUZZ_SCRATCH"
mkdir -p "$KESTRUNE_FUZZ_SCRATCH"

# Whether the first frame of a report that is neither the C and C++ runtimes,
# the sanitizers, libFuzzer nor an interceptor (strlen, strncmp... with or
# without the __interceptor_ prefix: frames of the fuzzer's executable that
# have no source of this repository) is our source: frames of another shared
# library (the import library, libjpeg) are not.
ours_at_top() {
  awk -v root="$PWD/" '
    /^ +#[0-9]+ / {
      for (k = 1; k <= NF; ++k) {
        if (index($k, root) == 1 && $k ~ /:[0-9]+(:[0-9]+)?$/ && index($k, root "build/") != 1) { ours = 1; exit }
      }
      if ($0 ~ /\(\/[^ ()]*\.so[.0-9]*\+0x[0-9a-f]+\)/ &&
          $0 !~ /\/(libc|libm|libstdc\+\+|libgcc_s|libpthread|ld-linux[-a-z0-9_]*)\.so/) exit
    }
    END { exit !ours }'
}

status=0
ours_count=0
# Sorts out one crash: `report` is the fuzzer's output on `input`.
triage() {
  local name="$1" input="$2" report="$3"
  if grep -q "broken:" <<<"$report" || ours_at_top <<<"$report"; then
    local kept="$out/$name-ours-$(basename "$input")"
    cp "$input" "$kept"
    echo "$name: a crash in our code, input kept as $kept" >&2
    grep -E "broken:|ERROR|SUMMARY|^ +#[0-9]+ " <<<"$report" | head -16 >&2
    ours_count=$((ours_count + 1))
    status=1
  else
    cp "$input" "$faults/$name-$(basename "$input")"
  fi
}

# Options of each fuzzer: input length, time and memory per input.
options() {
  case "$1" in
    fuzz_import | fuzz_fast_import) echo "-max_len=65536 -timeout=10 -rss_limit_mb=3072" ;;
    *) echo "-max_len=4096 -timeout=10 -rss_limit_mb=2048" ;;
  esac
}
environment() {
  # The library leaks on damaged files: its leaks are not ours to report.
  case "$1" in
    fuzz_import | fuzz_fast_import) echo "ASAN_OPTIONS=detect_leaks=0" ;;
    *) echo "ASAN_OPTIONS=detect_leaks=1" ;;
  esac
}
corpus_of() {
  case "$1" in
    fuzz_off_reader) echo tests/fuzz/corpus_off ;;
    fuzz_options) echo tests/fuzz/corpus_options ;;
    fuzz_texture) echo tests/fuzz/corpus_texture ;;
    fuzz_import) echo tests/fuzz/corpus_import ;;
    fuzz_fast_import) echo tests/fuzz/corpus_fast_import ;;
  esac
}
extra_of() {
  case "$1" in
    fuzz_off_reader) echo "-dict=tests/fuzz/off.dict" ;;
  esac
}
# Inputs of the fixed mutation runs, per seed: the whole replay takes about two minutes on a
# 2-core machine.
runs_of() {
  case "$1" in
    fuzz_off_reader | fuzz_options) echo 40000 ;;
    fuzz_texture) echo 4000 ;;
    fuzz_import) echo 1500 ;;
    fuzz_fast_import) echo 2000 ;;
  esac
}
# The longest a mutation run (whose own limit is 120 s) and a replay of the
# kept inputs may take before they are killed from outside.
run_seconds=180
replay_seconds=900

# The seeds of the fixed mutation runs. The import library's crashes end a
# run early, so its fuzzer gets more of them.
seeds_of() {
  case "$1" in
    fuzz_import) echo 1 2 3 4 5 6 7 8 9 10 ;;
    *) echo 1 2 ;;
  esac
}

# Every kept input once, in one process as long as none crashes; a crash is
# sorted out and the replay goes on after it. The inputs that pass are left
# in $scratch/$name for the mutation run.
replay_corpus() {
  local name="$1" corpus="$2"
  local -a pending
  mapfile -t pending < <(find "$corpus" -maxdepth 1 -type f | LC_ALL=C sort)
  mkdir -p "$scratch/$name"
  local replayed=${#pending[@]} library_before
  library_before=$(find "$faults" -type f | wc -l)
  while [ ${#pending[@]} -gt 0 ]; do
    local report
    if report=$(timeout --signal=KILL "$replay_seconds" env $(environment "$name") setarch "$(uname -m)" -R \
                  "$fuzzers/$name" $(options "$name") $(extra_of "$name") -runs=1 "${pending[@]}" 2>&1); then
      for input in "${pending[@]}"; do cp "$input" "$scratch/$name/"; done
      break
    fi
    # The input that crashed is the last one started.
    local crashed
    crashed=$(grep -E '^Running: ' <<<"$report" | tail -1 | sed 's/^Running: //')
    if [ -z "$crashed" ]; then
      echo "$name: the replay failed before any input" >&2
      grep -E "ERROR|SUMMARY" <<<"$report" | head -4 >&2
      status=1
      return
    fi
    triage "$name" "$crashed" "$report"
    local -a rest=()
    local past=0
    for input in "${pending[@]}"; do
      if [ "$past" = 1 ]; then rest+=("$input"); elif [ "$input" = "$crashed" ]; then past=1; else cp "$input" "$scratch/$name/"; fi
    done
    pending=("${rest[@]+"${rest[@]}"}")
  done
  echo "== $name: $replayed kept inputs replayed, $(( $(find "$faults" -type f | wc -l) - library_before )) inside the library"
}

# The mutation run of one seed, from the replayed inputs (not from what the
# other seeds added, so that each run is the same whatever the others met); a
# crash ends it and is sorted out. An input that runs out of time ends it too
# but counts with the library's: how long an input takes depends on the
# machine's load, and the import library has inputs it loops on.
mutate() {
  local name="$1" seed="$2"
  local prefix="$scratch/artifacts-$name-$seed-" corpus="$scratch/$name-$seed"
  local report
  mkdir -p "$corpus"
  find "$scratch/$name" -maxdepth 1 -type f -exec cp {} "$corpus/" \;
  # libFuzzer's own clock can hang the process (its alarm handler stopped
  # inside the library's allocator): past its time the run is killed from
  # outside, and counts as an input that ran out of time.
  local code=0
  timeout --signal=KILL "$run_seconds" env $(environment "$name") setarch "$(uname -m)" -R "$fuzzers/$name" \
    $(options "$name") $(extra_of "$name") \
    -timeout=5 -seed="$seed" -runs="$(runs_of "$name")" -reload=0 -max_total_time=120 -print_final_stats=1 \
    -artifact_prefix="$prefix" "$corpus" > "$scratch/$name-$seed.log" 2>&1 || code=$?
  if [ "$code" = 137 ] || [ "$code" = 124 ]; then
    echo "   seed $seed: the run stopped answering and was ended (counted with the library's)"
    return
  fi
  report=$(cat "$scratch/$name-$seed.log")
  grep -E "^stat::number_of_executed_units" <<<"$report" | sed "s/^/   seed $seed: /" || true
  for input in "$prefix"*; do
    [ -e "$input" ] || continue
    case "$(basename "$input")" in
      *-timeout-*)
        echo "   seed $seed: an input ran out of time (counted with the library's)"
        cp "$input" "$faults/$name-$(basename "$input")" ;;
      *) triage "$name" "$input" "$report" ;;
    esac
  done
}

# A random run; the fuzzers of the import keep going past the library's
# crashes, each of which is replayed and sorted out.
random_run() {
  local name="$1" corpus="$2"
  mkdir -p "$scratch/$name"
  cp "$corpus"/* "$scratch/$name/"
  echo "== $name: ${seconds} s"
  local prefix="$scratch/artifacts-$name-"
  local -a keep_going=()
  case "$name" in
    fuzz_import | fuzz_fast_import) keep_going=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1) ;;
  esac
  env $(environment "$name") "$fuzzers/$name" $(options "$name") $(extra_of "$name") \
    -max_total_time="$seconds" -print_final_stats=1 "${keep_going[@]+"${keep_going[@]}"}" \
    -artifact_prefix="$prefix" "$scratch/$name" > "$out/$name.log" 2>&1 || true
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)|^#[0-9]+: .*oom/timeout/crash" "$out/$name.log" | tail -2
  for input in "$prefix"*; do
    [ -e "$input" ] || continue
    local report
    report=$(env $(environment "$name") timeout 60 "$fuzzers/$name" $(options "$name") "$input" 2>&1 || true)
    triage "$name" "$input" "$report"
  done
}

start=$SECONDS
for name in "${targets[@]}"; do
  began=$SECONDS
  if [ "$mode" = replay ]; then
    replay_corpus "$name" "$(corpus_of "$name")"
    for seed in $(seeds_of "$name"); do mutate "$name" "$seed"; done
  else
    random_run "$name" "$(corpus_of "$name")"
  fi
  echo "   $name: $((SECONDS - began)) s"
done
echo "fuzz.sh ($mode): $ours_count crashes in our code, $(find "$faults" -type f | wc -l) inside the library" \
     "(kept in $faults), $((SECONDS - start)) s"
exit $status
