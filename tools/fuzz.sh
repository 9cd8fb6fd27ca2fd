#!/usr/bin/env bash
# Builds the store's fuzz targets natively (clang, libFuzzer, ASan/UBSan) and
# runs each for SECONDS (default 60), all three at once, from the seed corpus
# in tests/native/corpus/ (real stores laid out by rvxlayout):
#   store_fuzz            both readers, checksum check compiled out
#   store_roundtrip_fuzz  write, read, write again: the same
#   csv_fuzz              rvxcfg's CSV reader, and its write/read round trip
#                         (seed corpus tests/native/corpus-csv/)
# The longer run: tools/fuzz.sh 1800 (over 10 million executions here).
# Exits non-zero on any finding (the crashing input is left in
# build-native/fuzz-<target>/). Prints one line per target:
# "fuzz: <target>: <executions> executions, <findings> findings".
#
# tools/fuzz.sh --replay runs every input of the seed corpora once through
# its targets (tests/native/corpus/ through the two store targets,
# tests/native/corpus-csv/ through csv_fuzz) and fuzzes nothing (the test
# run uses this: no new random input decides whether it passes).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${NATIVE_BUILD_DIR:-$PWD/build-native}
cmake -S tests/native -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null || { echo "fuzz.sh: configure failed" >&2; exit 1; }
ninja -C "$build" --quiet store_fuzz store_roundtrip_fuzz csv_fuzz >&2 || { echo "fuzz.sh: build of the fuzz targets failed" >&2; exit 1; }
status=0
targets="store_fuzz store_roundtrip_fuzz csv_fuzz"
if [ "$seconds" = --replay ]; then
  for target in $targets; do
    corpus=tests/native/corpus
    [ "$target" = csv_fuzz ] && corpus=tests/native/corpus-csv
    if "$build/$target" -runs=0 "$corpus" >"$build/replay-$target.log" 2>&1; then
      echo "fuzz: $target: $(ls "$corpus" | wc -l) corpus inputs replayed, 0 findings"
    else
      echo "fuzz: $target: a corpus input fails"; tail -n 30 "$build/replay-$target.log"; status=1
    fi
  done
  exit $status
fi
# The targets run side by side. Inputs stay under 8 KB: the
# longest line a store may hold (a 1,024-byte name, every byte escaped) is
# about 3 KB, so longer inputs only repeat what shorter ones reach, slower.
for target in $targets; do
  work="$build/fuzz-$target"
  mkdir -p "$work/corpus"
  if [ "$target" = csv_fuzz ]; then cp tests/native/corpus-csv/* "$work/corpus/"
  else cp tests/native/corpus/* "$work/corpus/"; fi
  rm -f "$work/rc.txt"
  (cd "$work" && "$build/$target" -max_total_time="$seconds" -print_final_stats=1 -max_len=8192 \
      -rss_limit_mb=2048 corpus >log.txt 2>&1; echo $? >rc.txt) &
done
wait
for target in $targets; do
  work="$build/fuzz-$target"
  rc=$(cat "$work/rc.txt" 2>/dev/null || echo 1)
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log.txt" | grep -o '[0-9]*$' | tail -1)
  findings=0
  [ "$rc" -ne 0 ] && findings=1 && status=1
  echo "fuzz: $target: ${runs:-0} executions, $findings findings"
  [ "$rc" -ne 0 ] && tail -n 30 "$work/log.txt"
done
exit $status
