#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as a user would
# meet it: the file list, the desktop entry, the AppStream data, the OFF file
# types (beside another modeller's), the man pages against --help, the installed kestrune-batch and its
# thumbnailer entry run as a file manager runs it and through GNOME's
# thumbnail factory (in its sandbox), and the
# installed kestrune under Xvfb: its open dialog starts in the installed
# examples, without a browser "Aide en html" shows where the page is, and with
# the prefix read-only its options land in $XDG_CONFIG_HOME/kestrune/.
set -euo pipefail
here="$(readlink -f "$(dirname "$0")")"
build="$(readlink -f "$1")"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null
id=io.github.kestrune.Kestrune
expected="bin/kestrune
bin/kestrune-batch
libexec/kestrune/kestrune-import
share/applications/$id.desktop
share/doc/kestrune/changelog.Debian.gz
share/doc/kestrune/copyright
$(for size in 16 32 48 64 128 256; do echo "share/icons/hicolor/${size}x${size}/apps/$id.png"; done)
share/icons/hicolor/scalable/apps/$id.svg
share/kestrune/aide/index.html
share/kestrune/examples/briques.jpg
share/kestrune/examples/cube.off
share/kestrune/examples/damier.jpg
share/kestrune/examples/tetraedre.off
share/kestrune/examples/tore.off
share/man/man1/kestrune-batch.1.gz
share/man/man1/kestrune.1.gz
share/metainfo/$id.metainfo.xml
share/mime/packages/kestrune-formats.xml
share/mime/packages/kestrune-off.xml
share/thumbnailers/kestrune.thumbnailer"
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$installed" = "$(echo "$expected" | LC_ALL=C sort)" ] ||
  fail "installed files differ: $(diff <(echo "$expected" | LC_ALL=C sort) <(echo "$installed") || true)"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo does not launch the desktop entry"

# The OFF type and the formats the shared database lacks: a mime database
# built from the installed package files.
mkdir -p "$work/mime/packages"
cp "$prefix"/share/mime/packages/kestrune-*.xml "$work/mime/packages/"
update-mime-database "$work/mime" > /dev/null 2>&1 || fail "mime package file"
for glob in "model/x-off:\*.off" "model/x-ply:\*.ply" "model/x-fbx:\*.fbx" "model/vnd.collada+xml:\*.dae"; do
  grep -qx "50:$glob" "$work/mime/globs2" || fail "no glob $glob"
done
# Kestrune's own OFF wins by content, at a priority above the name's.
grep -aqx "\[80:model/x-kestrune-off\]" "$work/mime/magic" || fail "no magic of priority 80 for model/x-kestrune-off"
# The entry opens what the thumbnailer draws, every type known to the
# database, or defined by another program for files Kestrune opens (the OFF
# type of MeshLab).
model_types="model/x-off;model/x-kestrune-off;model/x-geomview-off;model/obj;model/x-ply;model/stl;model/gltf+json;model/gltf-binary;model/x-fbx;model/vnd.collada+xml;image/x-3ds;"
others_types="model/x-geomview-off"
grep -qx "MimeType=$model_types" "$prefix/share/applications/$id.desktop" || fail "entry MIME types"
grep -qx "Exec=kestrune %f" "$prefix/share/applications/$id.desktop" || fail "entry does not take a file"
for type in $(echo "$model_types" | tr ';' ' '); do
  grep -qxF "$type" "$work/mime/types" /usr/share/mime/types <(echo "$others_types") || fail "unknown MIME type $type"
  # Software centres suggest programs by the types their metainfo provides.
  grep -qxF "    <mediatype>$type</mediatype>" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo does not provide $type"
done
[ "$(grep -c "<mediatype>" "$prefix/share/metainfo/$id.metainfo.xml")" = "$(echo "$model_types" | tr ';' '\n' | grep -c .)" ] ||
  fail "the metainfo provides types the entry does not list"

# One version everywhere: both programs and the metainfo release.
version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$prefix/share/metainfo/$id.metainfo.xml")
[ -n "$version" ] || fail "no release version in the metainfo"
[ "$("$prefix/bin/kestrune-batch" --version)" = "kestrune-batch $version" ] || fail "kestrune-batch --version"
[ "$("$prefix/bin/kestrune" --version)" = "kestrune $version" ] || fail "kestrune --version"

# Man pages: they render without warnings and name every option and step of --help.
for program in kestrune kestrune-batch; do
  page="$prefix/share/man/man1/$program.1.gz"
  warnings=$(man --warnings -l "$page" 2>&1 > "$work/$program.txt") || fail "man $program"
  [ -z "$warnings" ] || fail "man $program warns: $warnings"
  grep -q "Kestrune $version" "$work/$program.txt" || fail "man $program does not give version $version"
  words=$("$prefix/bin/$program" --help | grep -oE -- '--[a-z]+|^  [a-z]+ ' | tr -d ' ')
  [ -n "$words" ] || fail "$program --help names nothing"
  for word in $words; do
    grep -qF -- "$word" "$work/$program.txt" || fail "man $program lacks $word of --help"
  done
done

# A conversion of the installed example: 6 quads, 24 triangles, 96 after Loop.
"$prefix/bin/kestrune-batch" "$prefix/share/kestrune/examples/cube.off" "$work/cube-lisse.off" triangles loop ||
  fail "conversion"
"$prefix/bin/kestrune-batch" --standard-off "$prefix/share/kestrune/examples/cube.off" "$work/cube-standard.off" ||
  fail "standard OFF conversion"
[ "$(sed -n 2p "$work/cube-lisse.off" | awk '{print $2}')" = 96 ] || fail "converted face count"

# The thumbnailer entry: one group, its three keys, then its Exec line with
# %i %o %s substituted, run with the installed programs first in PATH.
thumbnailer="$prefix/share/thumbnailers/kestrune.thumbnailer"
[ "$(head -1 "$thumbnailer")" = "[Thumbnailer Entry]" ] || fail "thumbnailer group"
keys=$(sed -n '2,$p' "$thumbnailer" | sed 's/=.*//' | LC_ALL=C sort | tr '\n' ' ')
[ "$keys" = "Exec MimeType TryExec " ] || fail "thumbnailer keys: $keys"
key() { sed -n "s/^$1=//p" "$thumbnailer"; }
[ "$(key MimeType)" = "$model_types" ] || fail "thumbnailer MIME type"
PATH="$prefix/bin:$PATH" command -v "$(key TryExec)" > /dev/null || fail "thumbnailer TryExec not found"
thumbnail_command=$(key Exec | sed "s|%i|$prefix/share/kestrune/examples/tore.off|; s|%o|$work/tore.png|; s|%s|128|")
read -ra thumbnail_argv <<< "$thumbnail_command"
PATH="$prefix/bin:$PATH" "${thumbnail_argv[@]}" || fail "thumbnailer exit code $?"
[ "$(identify -format '%m %wx%h' "$work/tore.png")" = "PNG 128x128" ] || fail "thumbnail size"

# GNOME's thumbnail factory itself, which runs the thumbnailer in its sandbox
# (bubblewrap) where only the model file and /usr are seen: a textured model
# alone in its folder, an untextured one, an OBJ and an STL.
bash "$here/thumbnail_factory.sh" "$build" "$work" || fail "thumbnail factory"

# The desktop program, prefix read-only. Root writes into read-only folders
# anyway: then the program runs as nobody.
chmod -R a-w "$prefix"
run_as=()
mkdir -p "$work/run" "$work/home" "$work/config"
if [ "$(id -u)" -eq 0 ]; then
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chmod 755 "$work"
  chown nobody:nogroup "$work/run" "$work/home" "$work/config"
fi

cat > "$work/run/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program="$1"
version="$2"
# No browser can be found without a PATH.
PATH=/nonexistent "$program" > program.log 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; cat program.log; kill "$pid" 2>/dev/null || true; exit 1; }
source ./find_window.sh
# The dialog starts in the installed examples: the bare name is enough.
dialog=$(find_window "Choisissez le fichier du mod") || fail "no open dialog"
sleep 1
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "cube.off"
xdotool key Return
window=$(find_window " - votre modèle : cube.off$") || fail "the installed example did not open"
sleep 1
# Aide / Aide en html: a message box, captioned with the bare program title.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 498)) $((Y + 8)) click 1
sleep 0.5
xdotool mousemove $((X + 520)) $((Y + 52)) click 1
box=$(find_window "^Kestrune v $version\$") || fail "no message box when the browser cannot be started"
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
sleep 0.5
# Fichier / Sauver, chosen with the keyboard, a new name typed.
xdotool mousemove $((X + 30)) $((Y + 8)) click 1
sleep 0.4
for _ in 1 2 3; do xdotool key Down; done
xdotool key Return
save=$(find_window "Enregistrer|Save|Sauver") || fail "no save dialog"
sleep 1
xdotool windowfocus --sync "$save" 2>/dev/null || true
xdotool type --delay 10 "$PWD/sauve.off"
xdotool key Return
for _ in $(seq 1 50); do [ -s sauve.off ] && break; sleep 0.1; done
[ -s sauve.off ] || fail "Sauver wrote no sauve.off"
sleep 0.5
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "program still running after Escape"
wait "$pid" || fail "exit code $?"
echo "program ended with 0"
SESSION
cp "$here/../gui/find_window.sh" "$work/run/"
chmod 755 "$work/run/session.sh" "$work/run/find_window.sh"
(
  cd "$work/run"
  env HOME="$work/home" XDG_CONFIG_HOME="$work/config" "${run_as[@]}" \
    xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" bash session.sh "$prefix/bin/kestrune" "$version"
) || fail "session"
options_file="$work/config/kestrune/optionsKestrune.txt"
[ -f "$options_file" ] || fail "no options file at $options_file"
grep -q "^option 0 = 2 " "$options_file" || fail "options file content: $(cat -A "$options_file")"
[ ! -e "$prefix/bin/optionsKestrune.txt" ] || fail "options written into the read-only prefix"

# The types a desktop gives the OFF files written by Sauver, by the batch and
# by --standard-off, and the installed examples, with Kestrune's types alone
# and beside another modeller's.
bash "$here/file_types.sh" "$prefix" "$work" "$work/run/sauve.off:kestrune" "$work/cube-lisse.off:kestrune" \
  "$work/cube-standard.off:other" "$prefix/share/kestrune/examples/cube.off:other" \
  "$prefix/share/kestrune/examples/tetraedre.off:other" || fail "file types"
echo "PASS"
