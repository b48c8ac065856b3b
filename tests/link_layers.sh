#!/usr/bin/env bash
# Checks with nm that no library of the program needs a symbol defined in a
# library above it. Argument: the build folder holding the libraries.
set -uo pipefail
build="$1"
layers=(kestrune_core kestrune_platform kestrune_state kestrune_render kestrune_edit kestrune_app)
defined() { nm --defined-only -g "$build/lib$1.a" 2>/dev/null | awk 'NF == 3 { print $3 }' | sort -u; }
needed() { nm -u -g "$build/lib$1.a" 2>/dev/null | awk '{ print $NF }' | sort -u; }

failures=0
for ((low = 0; low < ${#layers[@]}; low++)); do
  [ -f "$build/lib${layers[low]}.a" ] || { echo "missing library ${layers[low]}"; exit 1; }
  for ((high = low + 1; high < ${#layers[@]}; high++)); do
    upward=$(comm -12 <(needed "${layers[low]}") <(defined "${layers[high]}"))
    if [ -n "$upward" ]; then
      echo "${layers[low]} needs from ${layers[high]}:"
      echo "$upward" | c++filt | sed 's/^/  /'
      failures=$((failures + 1))
    fi
  done
done
echo "link layers: ${#layers[@]} libraries, $failures upward dependencies"
[ "$failures" -eq 0 ]
