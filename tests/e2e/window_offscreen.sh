#!/usr/bin/env bash
# Without any display server. Unasked, the game ends with a message instead
# of running unseen. Asked for, the window opens through the offscreen driver;
# an injected F10 is not possible from outside, so the run ends through the
# close request the system sends on SIGTERM; the settings from the build's
# default config.yml (windowed) are kept.
source "$(dirname "$0")/lib.sh" "$1" "$2"
unset DISPLAY WAYLAND_DISPLAY

# Not asked for, the offscreen driver is refused: the game says there is no
# display and ends instead of running where nobody sees it.
game="$(make_game game0)"
( unset SDL_VIDEODRIVER; exec "$game/tarvelin" ) &
pid=$!
PIDS+=($pid)
wait_exit $pid 60
rc=$?
[ $rc -eq 1 ] || fail "without a display the game returned $rc"
grep -q "^Video system unavailable: no display" "$game/log.txt" || fail "no line about the missing display"

export SDL_VIDEODRIVER=offscreen

game="$(make_game game1)"
grep -q 'fullscreen="0"' "$game/config.yml" || fail "default config.yml is not windowed"
"$game/tarvelin" &
pid=$!
PIDS+=($pid)
# The system's SIGTERM becomes a close request once the video system is up,
# which the log shows by the line after it; a busy machine may take a while.
for _ in $(seq 600); do
  grep -q "^Initialization...$" "$game/log.txt" 2>/dev/null && break
  kill -0 $pid 2>/dev/null || fail "the game ended early"
  sleep 0.05
done
sleep 0.5
kill -0 $pid 2>/dev/null || fail "the game ended early"
kill -TERM $pid
wait_exit $pid 60
rc=$?
[ $rc -eq 0 ] || fail "the game returned $rc"
grep -q "^Initialization...$" "$game/log.txt" || fail "no Initialization line"
grep -q 'fullscreen="0"' "$game/config.yml" || fail "settings lost"
echo "ok"
