#!/usr/bin/env bash
# Checks with nm that no library of the program needs a symbol defined in a
# library above it, nor in a library beside it that it does not link to.
# Argument: the build folder holding the libraries.
set -uo pipefail
build="$1"
# Each stack, bottom to top: a library may need only those before it.
stacks=(
  "kestrune_core kestrune_platform kestrune_state kestrune_render kestrune_edit kestrune_app kestrune_picture"
  "kestrune_core kestrune_scene kestrune_reader"
  "kestrune_core kestrune_scene kestrune_import kestrune_app"
  "kestrune_core kestrune_scene kestrune_export kestrune_app"
  "kestrune_core kestrune_scene kestrune_import kestrune_batch kestrune_picture"
  "kestrune_core kestrune_scene kestrune_export kestrune_batch"
)
# Libraries side by side, neither linking to the other.
apart=("kestrune_reader kestrune_import" "kestrune_reader kestrune_export" "kestrune_import kestrune_export")
defined() { nm --defined-only -g "$build/lib$1.a" 2>/dev/null | awk 'NF == 3 { print $3 }' | sort -u; }
needed() { nm -u -g "$build/lib$1.a" 2>/dev/null | awk '{ print $NF }' | sort -u; }

failures=0
checks=0
check() {  # library, one it must not need
  checks=$((checks + 1))
  local wrong
  wrong=$(comm -12 <(needed "$1") <(defined "$2"))
  if [ -n "$wrong" ]; then
    echo "$1 needs from $2:"
    echo "$wrong" | c++filt | sed 's/^/  /'
    failures=$((failures + 1))
  fi
}
for stack in "${stacks[@]}"; do
  read -ra layers <<<"$stack"
  for ((low = 0; low < ${#layers[@]}; low++)); do
    [ -f "$build/lib${layers[low]}.a" ] || { echo "missing library ${layers[low]}"; exit 1; }
    for ((high = low + 1; high < ${#layers[@]}; high++)); do check "${layers[low]}" "${layers[high]}"; done
  done
done
for pair in "${apart[@]}"; do
  read -ra two <<<"$pair"
  check "${two[0]}" "${two[1]}"
  check "${two[1]}" "${two[0]}"
done
echo "link layers: $checks pairs of libraries checked, $failures wrong dependencies"
[ "$failures" -eq 0 ]
