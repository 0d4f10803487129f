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
SHOT="python3 $(dirname "$0")/shot.py"
green=0
for _ in $(seq 60); do
  sleep 0.5
  xwd -silent -id "$win" -out "$WORK/editor.xwd" || fail "no screenshot"
  green="$($SHOT count "$WORK/editor.xwd" 0 0 800 600 0 223 0 40)"
  [ "$green" -gt 200 ] && break
done
[ "$green" -gt 200 ] || fail "no green cursor in the screenshot ($green pixels)"
if [ -n "${TARVELIN_SHOTS_DIR:-}" ]; then
  mkdir -p "$TARVELIN_SHOTS_DIR"
  $SHOT png "$WORK/editor.xwd" "$TARVELIN_SHOTS_DIR/e2e_editor.png"
fi

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
quit_game "$gwin" $play 60
rc=$?
[ $rc -eq 0 ] || fail "the game returned $rc"

errors="$(grep -hiE "error|cannot|fail|bad |skipped|unknown|no block material" "$WORK/editor_log.txt" "$log")"
[ -z "$errors" ] || fail "error lines in the logs: $errors"
echo "ok"
