#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every one over its corpus and then
# for the given seconds on new inputs (default 600), FUZZ_JOBS at a time
# (default 3). The content of the normal build (build/game) seeds them, so
# that is built first. Inputs that reach new code are kept in
# build-fuzz/tests/fuzz/work/<target> for the next run; a crash or a hang
# leaves its input in build-fuzz/tests/fuzz/findings/<target>/ and the run
# fails. The table at the end counts the executions of each target.
#   scripts/fuzz.sh [seconds] [ctest arguments, e.g. -R 'fuzz\.(level|ogg)$']
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-600}"
shift || true

"$root/scripts/setup.sh" build -DTARVELIN_TESTS=OFF
CC=clang CXX=clang++ "$root/scripts/setup.sh" build-fuzz -DTARVELIN_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTARVELIN_CONTENT_DIR="$root/build/game"

runtime="$(mktemp -d "${TMPDIR:-/tmp}/tarvelin-fuzz-run-XXXXXX")"
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export FUZZ_SECONDS="$seconds"

cd "$root/build-fuzz"
logs=tests/fuzz/logs
rm -f "$logs"/*.log
status=0
ctest -R '^fuzz\.' -j"${FUZZ_JOBS:-3}" --output-on-failure "$@" || status=$?

printf '\n%-12s %14s %10s %8s\n' target executions 'exec/s' corpus
for log in "$logs"/*.log; do
  [ -f "$log" ] || continue
  name="$(basename "$log" .log)"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)"
  corpus="$(ls tests/fuzz/work/"$name" 2>/dev/null | wc -l)"
  printf '%-12s %14s %10s %8s\n' "$name" "${runs:-crashed}" "${rate:--}" "$corpus"
done
exit "$status"
