#!/usr/bin/env bash
# The game opens its window under an X server, a second plain start ends at
# once, "-2" starts a second copy, and each is skipped to its main menu and
# ended with F10, with "config.yml" saved.
source "$(dirname "$0")/lib.sh" "$1" "$2"
export SDL_VIDEODRIVER=x11
start_xvfb

game="$(make_game game1)"
rm -f "$game/config.yml" # no settings: the defaults (full screen) are used
(cd / && exec "$game/tarvelin") &
first=$!
PIDS+=($first)
win="$(wait_window $first)"

# A second plain start ends at once with 0, without a second window.
"$game/tarvelin"
rc=$?
[ $rc -eq 0 ] || fail "second start returned $rc"
kill -0 $first 2>/dev/null || fail "the first copy ended"

# "-2" runs a second copy anyway.
"$game/tarvelin" -2 &
second=$!
PIDS+=($second)
win2="$(wait_window $second)"

quit_game "$win2" $second 30
rc=$?
[ $rc -eq 0 ] || fail "the second copy returned $rc"

quit_game "$win" $first 30
rc=$?
[ $rc -eq 0 ] || fail "the game returned $rc"

log="$(cat "$game/log.txt")"
[ "$(sed -n 1p "$game/log.txt" | cut -c1-18)" = "Operating system: " ] || fail "log does not start with the system check"
[ "$(sed -n 2p "$game/log.txt" | cut -c1-20)" = "Graphics interface: " ] || fail "second log line is not the graphics interface"
[ "$(sed -n 3p "$game/log.txt" | cut -c1-17)" = "Sound interface: " ] || fail "third log line is not the sound interface"
[ "$(sed -n 4p "$game/log.txt")" = "Tarvelin v1.12" ] || fail "fourth log line is not the version"
echo "$log" | grep -q "^Initialization...$" || fail "no Initialization line"
grep -q '<video>' "$game/config.yml" || fail "config.yml not written with full screen on: $(cat "$game/config.yml")"
grep -q '</config>' "$game/config.yml" || fail "config.yml incomplete"
echo "ok"
