#!/usr/bin/env bash
# The real Qt program on a virtual screen: open the example cube through the
# open dialog, see it drawn with its texture, delete the face under the
# cursor with a click, bring it back with Delete, and quit with Escape.
set -euo pipefail
here="$(readlink -f "$(dirname "$0")")"
program="$(readlink -f "$1")"
cube="$(readlink -f "$(dirname "$0")/../../examples/cube.off")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

cat > session.sh <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program="$1"
cube="$2"
"$program" > program.log 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null || true; exit 1; }
source ./find_window.sh
pixel() { import -window root shot.png; convert shot.png -format "%[pixel:p{$1,$2}]" info:; }
# Presses are polled once per frame: hold each one across a few frames.
press() { xdotool "$1"down "$2"; sleep 0.2; xdotool "$1"up "$2"; sleep 0.6; }

dialog=$(find_window "Choisissez le fichier du mod") || fail "no open dialog"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "$cube"
xdotool key Return
window=$(find_window "$title - votre modèle : cube.off") ||
  fail "the title does not name the model"
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$window")"
# Off the centre: the middle of the face lies on the diagonal between its halves.
cx=$((X + WIDTH / 2 - 30)); cy=$((Y + HEIGHT / 2 - 20))
front=$(pixel "$cx" "$cy")
echo "front face: $front"
case "$front" in *"(102,102,102)"*) fail "no model drawn" ;; esac

# Effacer / Faces, then a click on the front face shows the inside of the cube.
xdotool mousemove $((X + 298)) $((Y + 8)); press mouse 1
xdotool mousemove $((X + 320)) $((Y + 52)); press mouse 1
xdotool mousemove "$cx" "$cy"; sleep 0.5
press mouse 1
inside=$(pixel "$cx" "$cy")
echo "after deletion: $inside"
[ "$inside" != "$front" ] || fail "the face under the cursor was not deleted"
xdotool windowfocus --sync "$window" 2>/dev/null || true
press key Delete
restored=$(pixel "$cx" "$cy")
echo "after Delete: $restored"
[ "$restored" = "$front" ] || fail "Delete did not bring the face back"
press mouse 3
xdotool key Escape
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "program still running after Escape"
wait "$pid" || fail "exit code $?"
echo "program ended with 0"
SESSION
cp "$here/find_window.sh" .
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" bash session.sh "$program" "$cube"
rm -f "$(dirname "$program")/optionsKestrune.txt"
echo "PASS"
