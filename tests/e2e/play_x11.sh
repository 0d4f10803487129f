#!/usr/bin/env bash
# A player's first game under an X server, by keys and the pointer: the
# splash and the intro are skipped, the main menu shows, the first level
# starts from the level page and is played for a while, Escape pauses and
# the pause page continues, the lives run out, a name goes into the high
# scores, the options page lowers the music and applies, and F10 ends the
# game with 0. "scores.dat" then holds the name and "config.yml" the volume.
#   play_x11.sh <tarvelin> <content folder> <score_list>
# Pictures of the screens go to $TARVELIN_SHOTS_DIR when it is set.
source "$(dirname "$0")/lib.sh" "$1" "$2"
SCORE_LIST="$3"
SHOT="python3 $(dirname "$0")/shot.py"
export SDL_VIDEODRIVER=x11
start_xvfb

# The whole game folder of the build (generated content too), with a window
# of 800 x 600 so that window pixels are the pages' units.
game="$WORK/game_play"
mkdir -p "$game"
cp -r "$(dirname "$EXE")"/. "$game/"
rm -f "$game"/{log.txt,scores.dat,ol.dat,config.yml}
cat >"$game/config.yml" <<'CONFIG'
<config>
  <video fullscreen="0" mode="800x600:32">
  <window width="800" height="600" maximize="0">
  <sound volume="1" music="0.8">
</config>
CONFIG

(cd / && exec "$game/tarvelin") &
pid=$!
PIDS+=($pid)
win="$(wait_window $pid)"
xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"

# snap <name>: the window's picture as $WORK/<name>.xwd (and a PNG copy in
# the pictures folder, but for the pictures that only probe the screen).
snap() {
  xwd -id "$win" -silent >"$WORK/$1.xwd" || fail "no picture of the window"
  if [ -n "${TARVELIN_SHOTS_DIR:-}" ] && [ "$1" != now ]; then
    mkdir -p "$TARVELIN_SHOTS_DIR"
    $SHOT png "$WORK/$1.xwd" "$TARVELIN_SHOTS_DIR/e2e_$1.png"
  fi
}
# count <x0> <y0> <x1> <y1> <r> <g> <b> <tolerance>: pixels of the last
# picture near the colour.
count() { $SHOT count "$WORK/now.xwd" "$@"; }
# The logo's orange: drawn over every page but the pause page.
logo_shown() { snap now; [ "$(count 200 60 600 130 255 160 40 40)" -gt 2500 ]; }
# The light frame of the main menu's panel, on its left edge.
main_menu_shown() { snap now; [ "$(count 240 250 256 440 163 178 220 30)" -gt 100 ]; }
# The gold caption of the pause page's panel.
paused() { snap now; [ "$(count 330 200 470 320 255 208 96 40)" -gt 50 ]; }
# wait_until <seconds> <what> <test...>: runs the test until it passes.
wait_until() {
  local secs="$1" what="$2"
  shift 2
  local end=$((SECONDS + secs))
  until "$@"; do
    [ $SECONDS -lt $end ] || fail "no $what after ${secs}s"
    kill -0 $pid 2>/dev/null || fail "the game ended while waiting for $what"
    sleep 0.3
  done
}
key() { xdotool key --delay 60 "$@"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; }

# The pointer stays off the menus, so the keys choose.
xdotool mousemove --window "$win" 790 590
skip_to_menu() { key Escape; main_menu_shown; }
wait_until 90 "main menu" skip_to_menu
sleep 1
key Escape
snap menu

# New game, then the first level's picture.
key Return
sleep 1.5
snap levels
click 104 318
not_logo() { ! logo_shown; }
wait_until 30 "play" not_logo
sleep 2

# A while of play by keys: throw, run right and left, raise and lower the
# throw.
key space
hold Right 0.6
key Up Up
hold Left 0.6
key Down
sleep 1
snap play

key Escape
wait_until 10 "pause page" paused
snap pause
key Return
not_paused() { ! paused; }
wait_until 10 "play after the pause" not_paused

# Throw and stand aside until the lives are gone: the scores page asks for
# a name.
lose() {
  key space
  hold Left 1.2
  sleep 1
  logo_shown
}
wait_until 240 "game over" lose
sleep 1.5
# Space presses may have typed blanks into the name: they go first.
for _ in $(seq 30); do key BackSpace; done
xdotool type --delay 80 "Ada"
key Return
wait_until 10 "scores.dat" test -s "$game/scores.dat"
snap scores

# Back to the main menu, then the options: the music three steps lower,
# applied.
key Return
wait_until 30 "main menu after the scores" main_menu_shown
sleep 1
# The pointer left where play put it may rest on an entry: away with it,
# and Escape gives the focus back to the first entry.
xdotool mousemove --window "$win" 790 590
key Escape Down Down Down Down Return
sleep 1.5
xdotool mousemove --window "$win" 480 373
sleep 0.3
key Left Left Left
sleep 0.5
snap options
click 280 493
sleep 0.5

quit_game "$win" $pid 60
rc=$?
[ $rc -eq 0 ] || fail "the game returned $rc"

"$SCORE_LIST" "$game/scores.dat" >"$WORK/scores.txt" || fail "scores.dat does not read back"
grep -q "^Ada	" "$WORK/scores.txt" || fail "no Ada in the scores: $(cat "$WORK/scores.txt")"
grep -q 'music="0.5"' "$game/config.yml" || fail "config.yml without the new music volume: $(cat "$game/config.yml")"
echo "ok"
