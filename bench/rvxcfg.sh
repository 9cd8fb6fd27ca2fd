#!/usr/bin/env bash
# rvxcfg's speed on large configuration stores: import and its dry run
# against the time of exporting the same store. Prints one table.
#
#   bench/rvxcfg.sh            RUNS=N for more runs a figure (default 3);
#                              each figure is the median of its runs
#
# Two stores, laid out by rvxlayout generate: 10 configurations of 40,000
# clients (a 15 MB store, 400,000 rows in assignments.csv) and one of 65,534
# clients. Each run lays the store out anew, exports it (timed), removes the
# first client of every configuration from assignments.csv, and times the
# dry run and the import of that set (one commit). Every figure is a whole
# rvxcfg.exe process under Wine, started from here; the start of a process
# that does nothing (rvxcfg --help) is printed for scale.
set -euo pipefail
trap 'echo "bench/rvxcfg.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
RUNS=${RUNS:-3}
export BUILD_DIR=${BUILD_DIR:-$PWD/build}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$BUILD_DIR" --target rvxcfg rvxlayout >&2
. tools/wine-env.sh
wine_boot null >/dev/null 2>&1
wine_server_start
scratch=$(mktemp -d /tmp/rvxcfgbench.XXXXXX)
finish() { wine_server_stop; rm -rf "$scratch"; }
trap finish EXIT
bin=$BUILD_DIR/bin
export VELKAN_INSTALL
VELKAN_INSTALL=$(winpath "$scratch/store")

# seconds COMMAND...: runs it, fails on a non-zero exit, prints the seconds
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >"$scratch/out" 2>"$scratch/err" || { echo "bench/rvxcfg.sh: $* failed:" >&2; cat "$scratch/err" >&2; exit 1; }
  end=$(date +%s%N)
  awk -v n=$((end - start)) 'BEGIN { printf "%.2f", n / 1e9 }'
}
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
rvxcfg() { timeout 900 "$WINE" "$bin/rvxcfg.exe" "$@"; }

row() {
  local label=$1 args=$2 exports=() dries=() imports=()
  for _ in $(seq 1 "$RUNS"); do
    rm -rf "$scratch/store" "$scratch/set"
    # shellcheck disable=SC2086
    timeout 900 "$WINE" "$bin/rvxlayout.exe" generate "$VELKAN_INSTALL" $args >/dev/null
    exports+=("$(seconds rvxcfg export "$(winpath "$scratch/set")")")
    # The first client row of every configuration goes.
    awk -F, 'NR > 1 && !seen[$1]++ { next } { print }' "$scratch/set/assignments.csv" >"$scratch/a.csv"
    mv "$scratch/a.csv" "$scratch/set/assignments.csv"
    dries+=("$(seconds rvxcfg import "$(winpath "$scratch/set")" --dry-run)")
    imports+=("$(seconds rvxcfg import "$(winpath "$scratch/set")")")
    grep -q "imported as generation" "$scratch/out" || { echo "bench/rvxcfg.sh: the import changed nothing" >&2; exit 1; }
  done
  local e d i size
  e=$(echo "${exports[*]}" | median)
  d=$(echo "${dries[*]}" | median)
  i=$(echo "${imports[*]}" | median)
  size=$(du -m "$scratch/store/config.kxs" | cut -f1)
  awk -v l="$label" -v s="$size" -v e="$e" -v d="$d" -v i="$i" \
    'BEGIN { printf "| %s (%s MB) | %.2f s | %.2f s (%.2f x) | %.2f s (%.2f x) |\n", l, s, e, d, d / e, i, i / e }'
}

start=$(seconds rvxcfg --help)
echo "| Store | export | import --dry-run (x export) | import (x export) |"
echo "|---|---|---|---|"
row "10 configurations x 40,000 clients" "--clients 40000 --configs 10 --per-config 40000 --products 20"
row "1 configuration x 65,534 clients" "--clients 65534 --configs 1 --per-config 65534 --products 20"
echo
echo "Medians of $RUNS runs; a process that does nothing (rvxcfg --help) takes $start s; load average: $(cut -d' ' -f1-3 /proc/loadavg)."
