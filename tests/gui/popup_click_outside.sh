#!/usr/bin/env bash
# The real Qt program on a virtual screen: in the base mode with a model
# open, the Fichier popup opened from the keyboard (Alt, Down) and closed by
# a click, the press belongs to the popup and never reaches the drawing. The
# drawing stays exactly as it was (0 pixels differ), in several tries: a
# click outside the window, a press outside dragged into the window, a press
# on the drawing itself dragged across it. A drag the drawing takes then
# still turns the model.
set -euo pipefail
here="$(readlink -f "$(dirname "$0")")"
program="$(readlink -f "$1")"
options_file="$(dirname "$program")/optionsKestrune.txt"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
rm -f "$options_file"
mkdir models
cp "$here/../../examples/cube.off" "$here/../../examples/briques.jpg" models/

cat > session.sh <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program="$1"
"$program" > program.log 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; cat program.log; kill "$pid" 2>/dev/null || true; exit 1; }
source ./find_window.sh

dialog=$(find_window "Choisissez le fichier du mod") || fail "no open dialog"
sleep 1
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "$PWD/models/cube.off"
xdotool key Return
window=$(find_window "$title - votre modèle : cube.off") || fail "the model was not opened"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
[ $((X + WIDTH + 200)) -le 1024 ] || fail "no room right of the window at $X,$Y"
# Well inside the drawing area, below the menu bar and above the status line.
area="$((WIDTH - 80))x$((HEIGHT - 140))+$((X + 40))+$((Y + 60))"
drawing() { sleep 1; import -window root -crop "$area" +repage "$1"; }

xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
drawing before.png
# Each try: where the press is, where the cursor goes while held, where it is
# released.
tries=(
  "$((X + WIDTH + 150)) $((Y + 200)) $((X + WIDTH + 150)) $((Y + 200))"
  "$((X + WIDTH + 100)) $((Y + 100)) $((X + WIDTH + 180)) $((Y + 400))"
  "$((X + WIDTH + 120)) $((Y + 300)) $((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
  "$((X + WIDTH / 2 + 100)) $((Y + HEIGHT / 2 + 80)) $((X + WIDTH / 2 - 60)) $((Y + HEIGHT / 2 - 40))"
  "$((X + WIDTH + 60)) $((Y + 500)) $((X + WIDTH + 60)) $((Y + 500))"
)
failed=0
for try in "${!tries[@]}"; do
  read -r press_x press_y release_x release_y <<< "${tries[$try]}"
  # The last frame's cursor in the middle of the drawing, far from the press.
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key alt
  sleep 0.3
  xdotool key Down
  sleep 0.8
  xdotool mousemove "$press_x" "$press_y" mousedown 1
  sleep 0.3
  xdotool mousemove "$release_x" "$release_y"
  sleep 0.3
  xdotool mouseup 1
  sleep 0.3
  xdotool mousemove $((X + WIDTH / 2 + 30)) $((Y + HEIGHT / 2 + 20))
  drawing "after-$try.png"
  differing=$(compare -metric AE before.png "after-$try.png" null: 2>&1 || true)
  echo "try $((try + 1)): press at $press_x,$press_y, released at $release_x,$release_y: $differing pixels differ"
  [ "$differing" = 0 ] || failed=1
done
[ "$failed" = 0 ] || fail "closing the popup by a click changed the drawing"
# A drag the drawing takes still turns the model, from where it was pressed.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) mousedown 1
sleep 0.3
xdotool mousemove $((X + WIDTH / 2 + 60)) $((Y + HEIGHT / 2 + 30))
sleep 0.3
xdotool mouseup 1
drawing turned.png
differing=$(compare -metric AE before.png turned.png null: 2>&1 || true)
echo "a drag of 60,30 on the drawing: $differing pixels differ"
[ "$differing" -gt 10000 ] 2>/dev/null || fail "a drag on the drawing did not turn the model"

quit_with_escape "$window"
echo "program ended with 0"
SESSION
cp "$here/find_window.sh" .
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" bash session.sh "$program"
rm -f "$options_file"
echo "PASS"
