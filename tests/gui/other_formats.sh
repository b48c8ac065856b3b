#!/usr/bin/env bash
# The real Qt program on a virtual screen with other formats: `kestrune
# cube.obj` shows the open dialog on the file, Return imports it (the counts
# on the standard error); Sauver with a typed x.glb writes a GLB that
# kestrune-batch reads back with the same shape; a file the import cannot
# read gives a message and the starting model; a GLB made by kestrune-batch
# opens textured; during a slow import the window lives and Escape stops the
# reader at once, a second Escape quits.
set -euo pipefail
here="$(readlink -f "$(dirname "$0")")"
program="$(readlink -f "$1")"
batch="$(dirname "$program")/kestrune-batch"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n' > cube.obj
printf 'f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n' >> cube.obj
printf 'solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0\n' > casse.stl
cp cube.obj lent.obj
printf '#!/bin/sh\nexec sleep 30\n' > lent.sh
chmod +x lent.sh
"$batch" "$here/../../examples/cube.off" cube.glb > /dev/null 2>&1 || { echo "FAIL: no cube.glb"; exit 1; }

cat > session.sh <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program="$1"
model="$2"
if [ "$model" = lent.obj ]; then
  KESTRUNE_IMPORT_WORKER="$PWD/lent.sh" "$program" "$model" > program.log 2>&1 &
else
  "$program" "$model" > program.log 2>&1 &
fi
pid=$!
fail() { echo "FAIL: $*"; cat program.log; kill "$pid" 2>/dev/null || true; exit 1; }
source ./find_window.sh

# The file named on the command line is already chosen: Return opens it.
dialog=$(find_window "Choisissez le fichier du mod") || fail "no open dialog"
sleep 1
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Return
# Message boxes bear the bare program title, as the main window does without a model.
titled() { xdotool search --name "^$title\$" 2>/dev/null | wc -l; }
close_box() {  # the newest box with the bare title, if one comes within $1 tenths of a second
  for _ in $(seq 1 "$1"); do [ "$(titled)" -ge "$2" ] && break; sleep 0.1; done
  [ "$(titled)" -ge "$2" ] || return 1
  sleep 0.5
  xdotool windowfocus --sync "$(xdotool search --name "^$title\$" | tail -1)" 2>/dev/null || true
  xdotool key Return
  sleep 1
}
if [ "$model" = casse.stl ]; then
  close_box 100 2 || fail "no message for the failed import"
  [ "$(titled)" = 1 ] || fail "the message did not close"
  quit_with_escape "$(find_window "^$title\$")"
  exit 0
fi
if [ "$model" = lent.obj ]; then
  window=$(find_window "^$title\$") || fail "no main window"
  reader=""
  for _ in $(seq 1 50); do reader=$(pgrep -P "$pid" sleep || true); [ -n "$reader" ] && break; sleep 0.1; done
  [ -n "$reader" ] || fail "the reader did not start"
  sleep 1
  # The window follows a resize while the reader works.
  xdotool windowsize --sync "$window" 500 450 2>/dev/null || true
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "the program ended during the import"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key Escape
  for _ in $(seq 1 5); do kill -0 "$reader" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$reader" 2>/dev/null && fail "the reader still runs 0.5 s after Escape"
  kill -0 "$pid" 2>/dev/null || fail "Escape during the import ended the program"
  quit_with_escape "$window"
  exit 0
fi
if [ "$model" = cube.glb ]; then
  window=$(find_window "$title - votre modèle : cube.glb") || fail "the GLB was not opened"
  close_box 30 1 || true
  sleep 0.5
  import -window "$window" shot.png
  # The bricks: most of the middle of the drawing is red-brown, not black.
  red=$(convert shot.png -gravity center -crop 120x120+0+0 +repage -fx 'r>g+0.08 && r>0.2 ? 1 : 0' \
        -format '%[fx:mean]' info:)
  awk -v r="$red" 'BEGIN { exit !(r > 0.5) }' || fail "the GLB is not drawn with its bricks ($red red)"
  quit_with_escape "$window"
  exit 0
fi
window=$(find_window "$title - votre modèle : cube.obj") || fail "the OBJ was not opened"
for _ in $(seq 1 50); do grep -q "importé" program.log && break; sleep 0.1; done
grep -q "cube.obj importé : 8 sommets, 6 faces" program.log || fail "import counts: $(cat program.log)"
# What the import left out is told once, in a box.
close_box 30 1 || true
# Fichier / Sauver, chosen with the keyboard, then the name typed with its extension.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 30)) $((Y + 8)) click 1
sleep 0.4
for _ in 1 2 3; do xdotool key Down; done
xdotool key Return
save=$(find_window "Enregistrer|Save|Sauver") || fail "no save dialog"
sleep 1
xdotool windowfocus --sync "$save" 2>/dev/null || true
xdotool type --delay 10 "$PWD/x.glb"
xdotool key Return
for _ in $(seq 1 50); do [ -s x.glb ] && break; sleep 0.1; done
[ -s x.glb ] || fail "no x.glb written"
quit_with_escape "$window"
SESSION
cp "$here/find_window.sh" .
for model in cube.obj casse.stl cube.glb lent.obj; do
  xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" bash session.sh "$program" "$model"
done
"$batch" x.glb retour.off > /dev/null 2>&1 || { echo "FAIL: kestrune-batch cannot read x.glb"; exit 1; }
counts=$(sed -n 2p retour.off | awk '{print $1, $2}')
[ "$counts" = "8 12" ] || { echo "FAIL: x.glb holds $counts"; exit 1; }
rm -f "$(dirname "$program")/optionsKestrune.txt"
echo "PASS"
