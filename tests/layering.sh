#!/usr/bin/env bash
# Checks that every source file of the program includes only headers of its
# own layer or of the layers below it:
#
#   0 core       mesh/ remodel/ app/core/ resources/ exchange/
#   1 platform   platform/platform.h and platform/*.cpp (the interface)
#   2 state      app/state/
#   3 render     render/
#   4 edit       edit/
#   5 app        app/ (the files directly in it)
#   6 tools      tools/
#
# An implementation of the window-system layer (platform/qt/, platform/scripted/)
# sits beside the program: it includes the core, the interface and its own
# folder, nothing else. Only the tools, at the top, may include one: the
# pictures of kestrune-batch drive the scripted layer's offscreen surface.
set -uo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root" || exit 2

rank_of() {
  case "$1" in
    mesh/*|remodel/*|app/core/*|resources/*|exchange/*) echo 0 ;;
    platform/qt/*|platform/scripted/*) echo impl ;;
    platform/*) echo 1 ;;
    app/state/*) echo 2 ;;
    render/*) echo 3 ;;
    edit/*) echo 4 ;;
    app/*) echo 5 ;;
    tools/*) echo 6 ;;
    *) echo unknown ;;
  esac
}

failures=0
checked=0
while IFS= read -r file; do
  rank=$(rank_of "$file")
  [ "$rank" = unknown ] && continue
  checked=$((checked + 1))
  while IFS= read -r header; do
    [ -e "$header" ] || continue  # a system or library header
    target=$(rank_of "$header")
    allowed=1
    if [ "$rank" = impl ]; then
      folder="${file%/*}"
      case "$header" in
        "$folder"/*) ;;
        *) [ "$target" = 0 ] || [ "$target" = 1 ] || allowed=0 ;;
      esac
    elif [ "$target" = impl ] && [ "$rank" = 6 ]; then
      :
    elif [ "$target" = impl ] || [ "$target" = unknown ] || [ "$target" -gt "$rank" ]; then
      allowed=0
    fi
    if [ "$allowed" = 0 ]; then
      echo "$file includes $header, a layer above it"
      failures=$((failures + 1))
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find mesh remodel app resources platform render edit tools -name '*.h' -o -name '*.cpp' | sort)

echo "layering: $checked files checked, $failures upward includes"
[ "$failures" -eq 0 ]
