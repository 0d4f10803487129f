#!/usr/bin/env bash
# Runs one fuzz program: first over its seed corpus and kept inputs, then on
# new inputs for FUZZ_SECONDS (default 10), from random seed FUZZ_SEED when
# set. Inputs that reach new code stay in <fuzz folder>/work/<name> for the
# next run; a crash, a hang (an input taking over 10 s) or a sanitizer report
# fails the run and leaves the input in <fuzz folder>/findings/<name>/; the
# output goes to logs/<name>.log.
#   run_target.sh <program> <name> <corpus> <dictionary or ""> [kept folder (may be missing)...]
set -euo pipefail
program="$1" name="$2" corpus="$3" dict="$4"
shift 4
top="$(dirname "$program")"
mkdir -p "$top/work/$name" "$top/findings/$name" "$top/logs"
args=(-max_total_time="${FUZZ_SECONDS:-10}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
      -artifact_prefix="$top/findings/$name/")
[ -n "$dict" ] && args+=(-dict="$dict")
# A fixed seed (test.sh sets one) makes short runs repeat what they try.
[ -n "${FUZZ_SEED:-}" ] && args+=(-seed="$FUZZ_SEED")
kept=()
for folder in "$@"; do
  [ -d "$folder" ] && kept+=("$folder")
done
status=0
"$program" "${args[@]}" "$top/work/$name" "$corpus" "${kept[@]}" >"$top/logs/$name.log" 2>&1 || status=$?
grep -v '^#[0-9]' "$top/logs/$name.log" | tail -n 80 || true
exit "$status"
