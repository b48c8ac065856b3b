#!/usr/bin/env bash
# The real Qt program on a virtual screen with a model of 393,216 faces, whose
# frames take well over 100 ms: left alone it draws nothing and takes no CPU;
# a plain click (press and release at once) creates its vertex; ten choices
# of a view with the keyboard leave the side the views are seen from as it was.
set -euo pipefail
here="$(readlink -f "$(dirname "$0")")"
program="$(readlink -f "$1")"
batch="$(dirname "$program")/kestrune-batch"
examples="$(readlink -f "$(dirname "$0")/../../examples")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$examples/briques.jpg" .
"$batch" "$examples/cube.off" big.off triangles loop loop loop loop loop loop loop

cat > session.sh <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program="$1"
KESTRUNE_FRAME_COUNT=1 "$program" > program.log 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null || true; exit 1; }
source ./find_window.sh
pixel() { import -window root shot.png; convert shot.png -format "%[pixel:p{$1,$2}]" info:; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# Opens the menu at x with a click and chooses its item n with the keyboard.
choose() { xdotool mousemove $((X + $1)) $((Y + 8)) click 1; sleep 0.4
           for _ in $(seq 1 "$2"); do xdotool key Down; done; xdotool key Return; sleep 0.6; }
# How green the greenest pixel of a strip of the view is (green less red:
# 1 on the green axis, 0 on grey or white).
greenest() { import -window root shot.png
  convert shot.png -crop "7x90+$((X + 317))+$((Y + $1))" +repage -fx "g-r" -format "%[fx:maxima]" info:; }

dialog=$(find_window "Choisissez le fichier du mod") || fail "no open dialog"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "$PWD/big.off"
xdotool key Return
window=$(find_window "$title - votre modèle : big.off") || fail "the model was not opened"
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 3

before=$(cpu_ticks); sleep 5; after=$(cpu_ticks)
echo "CPU while idle: $((after - before)) ticks in 5 s"
[ $((after - before)) -le 10 ] || fail "the idle program keeps working"

choose 78 2    # Vues / xOy
choose 184 1   # Créer / Sommets
xdotool mousemove $((X + 40)) $((Y + 100)); sleep 1
empty=$(pixel $((X + 40)) $((Y + 100)))
started=$(date +%s%N)
xdotool click 1
sleep 2
made=$(pixel $((X + 40)) $((Y + 100)))
echo "before the click: $empty, after: $made"
[ "$made" != "$empty" ] || fail "the click was lost"
xdotool mousedown 3; sleep 0.5; xdotool mouseup 3; sleep 0.5

# Faces off, axes on: the green y axis shows which side the view is seen from.
choose 130 5   # Afficher / Faces
choose 130 1   # Afficher / Axes
upper=$(greenest 220); lower=$(greenest 330)
echo "green above the middle: $upper, below: $lower"
for _ in $(seq 1 10); do choose 78 2; done
upper2=$(greenest 220); lower2=$(greenest 330)
echo "after ten keyboard choices: above $upper2, below $lower2"
[ "$upper" != "$lower" ] || fail "the y axis does not show"
[ "$upper2" = "$upper" ] && [ "$lower2" = "$lower" ] || fail "a menu's Return turned the view over"

xdotool mousemove $((X + 320)) $((Y + 320))
quit_with_escape "$window"
grep "^frames:" program.log
SESSION
cp "$here/find_window.sh" .
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" bash session.sh "$program"
rm -f "$(dirname "$program")/optionsKestrune.txt"
echo "PASS"
