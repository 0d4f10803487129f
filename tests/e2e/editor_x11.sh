#!/usr/bin/env bash
# "-e" opens the level editor under an X server: a screenshot of its window
# shows the grid, the cursor, the status lines and the console's line; keys
# and console lines place glass blocks and save them as "90_edit"; F10 ends
# it with 0. The game then lists the level and renders its picture, and
# neither run logs an error.
source "$(dirname "$0")/lib.sh" "$1" "$2"
export SDL_VIDEODRIVER=x11
start_xvfb

game="$(make_full_game editor)"
log="$game/log.txt"

# wait_file <path> <seconds>: waits until the file exists and is not empty.
wait_file() {
  for _ in $(seq $(($2 * 20))); do
    [ -s "$1" ] && return 0
    sleep 0.05
  done
  fail "$1 was not written"
}

(cd / && exec "$game/tarvelin" -e) &
editor=$!
PIDS+=($editor)
win=""
for _ in $(seq 600); do
  win="$(xdotool search --all --onlyvisible --pid "$editor" --name '^Level Editor$' 2>/dev/null | head -n1)"
  [ -n "$win" ] && break
  kill -0 "$editor" 2>/dev/null || fail "the editor ended before its window appeared"
  sleep 0.05
done
[ -n "$win" ] || fail "no window titled Level Editor"

# type_line <text>: a console line and Return (the console takes typing at
# its resting line too).
type_line() {
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  xdotool type --delay 30 "$1"
  xdotool key Return
}

# Glass blocks four cells in front of the middle, one holding a bomb.
type_line "m=glass"
for k in Down Down Down Down space Right space Right space; do press "$win" "$k"; done
type_line "b=17"
type_line "mode=bonus"
press "$win" Left
press "$win" space
type_line "mode=new"
for k in Right Right Right; do press "$win" "$k"; done # off the blocks: green

# The screenshot, once the console has slid up to its resting line and the
# free cursor shows green (a software-rendered frame under the sanitizers
# may take a while).
shots="${TARVELIN_SHOTS_DIR:-$WORK}"
mkdir -p "$shots"
shot="$shots/editor_x11.png"
green=0
for _ in $(seq 60); do
  sleep 0.5
  xwd -silent -id "$win" -out "$WORK/editor.xwd" || fail "no screenshot"
  python3 "$(dirname "$0")/xwd_to_png.py" "$WORK/editor.xwd" "$shot" >/dev/null ||
    fail "the screenshot could not be converted"
  green="$(python3 - "$shot" <<'PY'
import sys, zlib, struct
d = open(sys.argv[1], "rb").read()
w, h = struct.unpack(">II", d[16:24])
pos, idat = 8, b""
while pos < len(d):
    n, = struct.unpack(">I", d[pos:pos + 4])
    if d[pos + 4:pos + 8] == b"IDAT":
        idat += d[pos + 8:pos + 8 + n]
    pos += 12 + n
raw = zlib.decompress(idat)
green = 0
for y in range(h):
    row = raw[y * (w * 3 + 1) + 1:(y + 1) * (w * 3 + 1)]
    for x in range(w):
        r, g, b = row[x * 3:x * 3 + 3]
        green += g > 120 and g > max(r, b) + 80
print(green)
PY
)"
  [ "$green" -gt 200 ] && break
done
[ "$green" -gt 200 ] || fail "no green cursor in the screenshot ($green pixels)"

type_line "save=90_edit"
wait_file "$game/levels/90_edit" 20

press "$win" F10
wait_exit $editor 30
rc=$?
[ $rc -eq 0 ] || fail "the editor returned $rc"
cp "$log" "$WORK/editor_log.txt"

# The game lists the level and renders its picture at start-up.
rm -f "$game/levels/thumb/90_edit.bmp"
(cd / && exec "$game/tarvelin") &
play=$!
PIDS+=($play)
gwin="$(wait_window $play)"
wait_file "$game/levels/thumb/90_edit.bmp" 30
grep -qx "Initialization..." "$log" || fail "the game did not start"
# F10 skips the splash and the intro flight first, then quits.
for _ in $(seq 60); do
  kill -0 $play 2>/dev/null || break
  press "$gwin" F10 2>/dev/null
  sleep 1
done
wait_exit $play 30
rc=$?
[ $rc -eq 0 ] || fail "the game returned $rc"

errors="$(grep -hiE "error|cannot|fail|bad |skipped|unknown|no block material" "$WORK/editor_log.txt" "$log")"
[ -z "$errors" ] || fail "error lines in the logs: $errors"
echo "ok"
