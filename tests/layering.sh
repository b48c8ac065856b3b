#!/usr/bin/env bash
# Checks that every source file of the program includes only headers of its
# own layer or of the layers below it (the include trees of cmake/layers.cmake
# enforce the same at compile time; this check names every offender at once):
#
#   core       core/ mesh/ remodel/ resources/   no window, no GL
#   platform   platform/platform.h, platform/*.cpp (the interface)    core
#   state      state/                            platform, core
#   render     render/                           state and below
#   edit       edit/                             render and below
#   scene      exchange/scene/                   core
#   reader     exchange/reader/                  scene, core (the import child only)
#   import     exchange/import/                  scene, core
#   export     exchange/export/                  scene, core
#   app        app/                              edit, import, export and below
#   tools      tools/                            everything, and the scripted layer
#
# An implementation of the window-system layer (platform/qt/, platform/scripted/)
# sits beside the program: it includes the core, the interface and its own
# folder, nothing else. Only the tools, at the top, may include one: the
# pictures of kestrune-batch drive the scripted layer's offscreen surface.
# Headers are named from the source root: an include climbing with "../" is
# refused.
set -uo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root" || exit 2

layer_of() {
  case "$1" in
    core/*|mesh/*|remodel/*|resources/*) echo core ;;
    platform/qt/*|platform/scripted/*) echo impl ;;
    platform/*) echo platform ;;
    state/*) echo state ;;
    render/*) echo render ;;
    edit/*) echo edit ;;
    exchange/scene/*) echo scene ;;
    exchange/reader/*) echo reader ;;
    exchange/import/*) echo import ;;
    exchange/export/*) echo export ;;
    app/*) echo app ;;
    tools/*) echo tools ;;
    *) echo unknown ;;
  esac
}

# The layers a layer may include, its own among them.
allowed_of() {
  case "$1" in
    core) echo core ;;
    platform) echo core platform ;;
    state) echo core platform state ;;
    render) echo core platform state render ;;
    edit) echo core platform state render edit ;;
    scene) echo core scene ;;
    reader) echo core scene reader ;;
    import) echo core scene import ;;
    export) echo core scene export ;;
    app) echo core platform state render edit scene import export app ;;
    tools) echo core platform state render edit scene import export app tools impl ;;
    impl) echo core platform ;;
  esac
}

failures=0
checked=0
while IFS= read -r file; do
  layer=$(layer_of "$file")
  [ "$layer" = unknown ] && continue
  checked=$((checked + 1))
  allowed=" $(allowed_of "$layer") "
  while IFS= read -r header; do
    case "$header" in
      ../*|*/../*)
        echo "$file includes $header, climbing out of its folder"
        failures=$((failures + 1))
        continue ;;
    esac
    [ -e "$header" ] || continue  # a system, library or generated header
    target=$(layer_of "$header")
    ok=0
    if [ "$layer" = impl ] && [ "${header%/*}" = "${file%/*}" ]; then
      ok=1  # an implementation's own folder
    elif [[ "$allowed" == *" $target "* ]]; then
      ok=1
    fi
    if [ "$ok" = 0 ]; then
      echo "$file includes $header, a layer above it"
      failures=$((failures + 1))
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find core mesh remodel resources platform state render edit exchange app tools \
           -name '*.h' -o -name '*.cpp' | sort)

echo "layering: $checked files checked, $failures upward includes"
[ "$failures" -eq 0 ]
