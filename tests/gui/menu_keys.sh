#!/usr/bin/env bash
# The real Qt program on a virtual screen: a model named without a dot
# opens; the longest menu help text fits the status line; Escape that leaves the menu bar belongs to the menu and must
# not end the program; Escape in the window ends it.
set -euo pipefail
here="$(readlink -f "$(dirname "$0")")"
program="$(readlink -f "$1")"
options_file="$(dirname "$program")/optionsKestrune.txt"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
rm -f "$options_file"
mkdir models
printf 'OFF\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n' > models/triangle

cat > session.sh <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program="$1"
"$program" > program.log 2>&1 &
pid=$!
fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null || true; exit 1; }
source ./find_window.sh
running() { kill -0 "$pid" 2>/dev/null; }

# A model whose name has no dot, typed in the open dialog.
dialog=$(find_window "Choisissez le fichier du mod") || fail "no open dialog"
sleep 1
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 10 "$PWD/models/triangle"
xdotool key Return
find_window "$title - votre modèle : triangle" > /dev/null ||
  fail "the model without a dot was not opened"
window=$(find_window "^$title")
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"

# The longest help text (Effacer / Sommets, shown while the menu is open)
# fits the status line: nothing is drawn in its last pixels.
xdotool mousemove $((X + 298)) $((Y + 8)) click 1
sleep 1
xdotool mousemove $((X + 320)) $((Y + 29))
sleep 0.8
import -window root status.png
dark=$(convert status.png -crop "12x14+$((X + WIDTH - 14))+$((Y + HEIGHT - 17))" +repage \
  -colorspace Gray -threshold 50% -negate -format "%[fx:mean]" info:)
echo "dark share at the end of the status line: $dark"
[ "$dark" = "0" ] || fail "the help text is cut at the end of the status line"
xdotool key Escape
sleep 0.5
xdotool key Escape
sleep 0.5

# Open "Fichier" with a click, close its popup with Escape (the menu bar keeps
# the keyboard), leave the menu bar with a second Escape.
xdotool mousemove $((X + 30)) $((Y + 8)) click 1
sleep 1
xdotool key Escape
sleep 0.5
xdotool key Escape
sleep 1
running || fail "Escape that left the menu bar ended the program"

xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 1 100); do running || break; sleep 0.1; done
running && fail "program still running after Escape"
wait "$pid" || fail "exit code $?"
echo "program ended with 0"
SESSION
cp "$here/find_window.sh" .
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" bash session.sh "$program"
[ -f "$options_file" ] || { echo "FAIL: no options file at $options_file"; exit 1; }
rm -f "$options_file"
echo "PASS"
