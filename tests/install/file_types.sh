#!/usr/bin/env bash
# The MIME types a desktop gives OFF files, with Kestrune's types alone and
# beside another modeller's OFF type (MeshLab's model/x-geomview-off, from the
# test data): each file must get a type that the desktop entry and the
# thumbnailer list, and for which GIO registers Kestrune. Kestrune's own OFF
# (written by Sauver or kestrune-batch) must get model/x-kestrune-off there,
# whatever the other type claims. Each database is private: XDG_DATA_DIRS
# holds it before /usr/share, as an installed package's files are found, and
# the caches are built as the system's triggers build them.
# Arguments: the installed prefix, a scratch folder, then FILE:KIND pairs,
# KIND being "kestrune" (written by Kestrune) or "other".
set -euo pipefail
prefix="$1"
work="$2"
shift 2
data="$(readlink -f "$(dirname "$0")/../data/desktop")"
id=io.github.kestrune.Kestrune
fail() { echo "FAIL: $*"; exit 1; }
entry_types=$(sed -n 's/^MimeType=//p' "$prefix/share/applications/$id.desktop")
thumbnailer_types=$(sed -n 's/^MimeType=//p' "$prefix/share/thumbnailers/kestrune.thumbnailer")
listed() { case ";$2" in *";$1;"*) return 0 ;; *) return 1 ;; esac; }

for setting in alone beside-meshlab; do
  share="$work/types-$setting/share"
  mkdir -p "$share/mime/packages" "$share/applications" "$work/types-$setting/home"
  cp "$prefix"/share/mime/packages/kestrune-*.xml "$share/mime/packages/"
  [ "$setting" = beside-meshlab ] && cp "$data/meshlab-off.xml" "$share/mime/packages/"
  update-mime-database "$share/mime" > /dev/null 2>&1 || fail "$setting: MIME database"
  cp "$prefix/share/applications/$id.desktop" "$share/applications/"
  update-desktop-database "$share/applications" || fail "$setting: desktop database"
  # GIO hides an entry whose program is not on the PATH.
  types_env=(env PATH="$prefix/bin:$PATH" XDG_DATA_HOME="$work/types-$setting/home" XDG_DATA_DIRS="$share:/usr/share")
  for pair in "$@"; do
    file="${pair%:*}"
    kind="${pair##*:}"
    type=$("${types_env[@]}" gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
    echo "$setting: $(basename "$file") ($(head -c 16 "$file" | head -1)): $type"
    listed "$type" "$entry_types" || fail "$setting: $file is $type, not in the desktop entry"
    listed "$type" "$thumbnailer_types" || fail "$setting: $file is $type, not in the thumbnailer"
    applications=$("${types_env[@]}" gio mime "$type")
    grep -qx "[[:space:]]*$id.desktop" <<< "$applications" ||
      fail "$setting: Kestrune is not among the applications of $type: $applications"
    if [ "$setting" = beside-meshlab ] && [ "$kind" = kestrune ]; then
      [ "$type" = model/x-kestrune-off ] || fail "$setting: Kestrune's own $file is $type"
    fi
  done
done
