# Helpers for end-to-end runs of the real executable.
#   source lib.sh <tarvelin executable> <content folder>

set -u
EXE="$1"
CONTENT="$2"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/tarvelin-e2e-XXXXXX")"
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export TARVELIN_NO_MESSAGEBOX=1
# The graphics and desktop libraries the real executable loads keep memory
# until exit; leaks are checked by the in-process tests instead.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
PIDS=()

cleanup() {
  for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$WORK"/*/log.txt; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; } >&2; done
  exit 1
}

# make_game <name>: a game folder with the executable and the content.
make_game() {
  local dir="$WORK/$1"
  mkdir -p "$dir"
  cp "$EXE" "$dir/tarvelin"
  cp -r "$CONTENT"/. "$dir/"
  if [ -d "$dir/defaults" ]; then
    cp -r "$dir/defaults"/. "$dir/"
    rm -rf "$dir/defaults"
  fi
  echo "$dir"
}

# make_full_game <name>: a game folder with all the build made (the
# executable, the generated and the hand-written content), without the
# build's own log, scores and progress, and with the default settings.
make_full_game() {
  local dir="$WORK/$1"
  mkdir -p "$dir"
  cp -r "$(dirname "$EXE")"/. "$dir/"
  rm -f "$dir/log.txt" "$dir/scores.dat" "$dir/ol.dat"
  cp "$CONTENT/defaults/config.yml" "$dir/config.yml"
  echo "$dir"
}

# start_xvfb: a private X server; sets DISPLAY. It does not reset when its
# last client leaves: a game started right after another one would find no
# server while it resets.
start_xvfb() {
  local fd_file="$WORK/display"
  exec 9>"$fd_file"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
  PIDS+=($!)
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  [ -s "$fd_file" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fd_file")"
}

# wait_exit <pid> <seconds>: the exit code, or fails on timeout.
wait_exit() {
  local pid="$1" secs="$2"
  for _ in $(seq $((secs * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    sleep 0.05
  done
  fail "process $pid still runs after ${secs}s"
}

# press <window> <key>: focuses the window and types the key.
press() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key "$2"
}

# quit_game <window> <pid> <seconds>: Escape skips the splash sequence,
# then F10 goes in every quarter second until the game ends (the splash and
# the intro flight take F10 as a skip, the main menu quits on it); the exit
# code, or fails on timeout.
quit_game() {
  local win="$1" pid="$2" secs="$3"
  press "$win" Escape 2>/dev/null
  for _ in $(seq $((secs * 4))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    press "$win" F10 2>/dev/null
    sleep 0.25
  done
  fail "process $pid still runs after ${secs}s of F10"
}

# wait_window <pid>: the X window id of the game started as pid.
wait_window() {
  local pid="$1" id=""
  for _ in $(seq 600); do
    id="$(xdotool search --all --onlyvisible --pid "$pid" --name '^Tarvelin$' 2>/dev/null | head -n1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$pid" 2>/dev/null || fail "the game ended before its window appeared"
    sleep 0.05
  done
  fail "no window titled Tarvelin"
}
