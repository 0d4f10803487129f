#!/usr/bin/env bash
# Sets everything up and starts the game. Arguments go to the game
# ("-e" starts the level editor).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh" build -DTARVELIN_TESTS=OFF
exec "$root/build/game/tarvelin" "$@"
