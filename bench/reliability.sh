#!/usr/bin/env bash
# Produces the figures of installer/RELIABILITY.md and prints them as a table:
#   - every commit step x mode, and the hostile stores (the Wine tests);
#   - torn writes (the native tests);
#   - concurrent commits: 2 processes x COMMITS/2 and 4 x COMMITS/4 (default
#     COMMITS=1000 each, so 2,000 in all) through `rvxload hammer` (the load
#     harness, a test program), and the same with the lock or the
#     generation check switched off;
#   - administrator sessions: SESSIONS (default 400) sessions, 4 at once,
#     through `rvxload sessions` on the shipped libraries (a copy of the
#     harness beside them), and the same with the merge switched off (the
#     test build's KX_UNSAFE_NOMERGE);
#   - a failed OK at each store step followed by Reset All (the app tests);
#   - FUZZ_SECONDS (default 60) of each fuzz target.
# Uses build-rel (Wine; BUILD_DIR= another) and build-native; builds what it
# needs. The switches exist only in the test build, in testbin/.
set -uo pipefail
trap 'echo "line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root=$PWD
COMMITS=${COMMITS:-1000}
SESSIONS=${SESSIONS:-400}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
export BUILD_DIR=${BUILD_DIR:-$root/build-rel}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$BUILD_DIR" --quiet installer_tests app_tests rvxlayout rvxlayout_test rvxload >&2 || { echo "reliability.sh: build of $BUILD_DIR failed" >&2; exit 1; }
. tools/wine-env.sh
wine_boot null >/dev/null 2>&1
wine_server_start
trap wine_server_stop EXIT
bin=$BUILD_DIR/testbin
shipped=$BUILD_DIR/bin
scratch=$(mktemp -d /tmp/kxrel.XXXXXX)
# The harness beside the shipped libraries, which it loads from there.
mkdir "$scratch/shipped"
cp "$bin/rvxload.exe" "$shipped/KXIMPL32.dll" "$shipped/PKRG.dll" "$shipped/KXBKND32.dll" "$scratch/shipped/"

wine_tests=$(cd "$bin" && timeout 900 $WINE ./installer_tests.exe --gtest_filter='Reliability.*' 2>&1)
app_tests=$(cd "$bin" && timeout 900 $WINE ./app_tests.exe --gtest_filter='*FailedOkRestores*' 2>&1)
cmake -S tests/native -B build-native -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C build-native --quiet >&2 || { echo "reliability.sh: build of build-native failed" >&2; exit 1; }
native_tests=$(build-native/store_native_tests 2>&1)

# hammer PROCESSES EACH [ENV=1]: prints "<commits> <refused> <lost>"
hammer() {
  local n=$1 each=$2 env=${3:-}
  local dir="$scratch/store-$n-${env%%=*}"
  timeout 120 $WINE "$bin/rvxlayout.exe" generate "Z:$dir" --clients 1 --configs 1 --per-config 1 --products 1 \
    >/dev/null 2>&1
  local pids=()
  for i in $(seq 1 "$n"); do
    (export ${env:-KX_NOTHING=0}; timeout 900 $WINE "$bin/rvxload.exe" hammer "Z:$dir" --commits "$each" \
       >"$dir.out$i" 2>&1) &
    pids+=($!)
  done
  wait "${pids[@]}"
  local commits=0 refused=0
  for i in $(seq 1 "$n"); do
    read -r c r <<<"$(sed -n 's/^hammer: commits \([0-9]*\) refused \([0-9]*\).*/\1 \2/p' "$dir.out$i")"
    commits=$((commits + ${c:-0})); refused=$((refused + ${r:-0}))
  done
  local value
  value=$(timeout 120 $WINE "$bin/rvxload.exe" hammer "Z:$dir" --commits 0 | sed -n 's/.* value \(-*[0-9]*\).*/\1/p')
  echo "$commits $refused $((commits - value))"
}
read -r c2 r2 l2 <<<"$(hammer 2 $((COMMITS / 2)))"
read -r c4 r4 l4 <<<"$(hammer 4 $((COMMITS / 4)))"
read -r cg rg lg <<<"$(hammer 4 100 KX_UNSAFE_NOGENERATION=1)"
read -r cl rl ll <<<"$(hammer 4 100 KX_UNSAFE_NOLOCK=1)"

# sessions HARNESS-DIR [--no-merge]: prints the figures line of rvxload sessions
sessions() {
  local dir="$scratch/sessions${2:-}"
  timeout 120 $WINE "$bin/rvxlayout.exe" generate "Z:$dir" --clients 200 --configs 30 --per-config 20 --products 12 \
    >/dev/null 2>&1
  timeout 3600 $WINE "$1/rvxload.exe" sessions "Z:$dir" --workers 4 --sessions "$SESSIONS" --seed 1 ${2:-} |
    sed -n 's/^sessions: //p'
}
read -r ss _ sc _ sm _ sr _ sf _ sl _ sx _ sy _ st <<<"$(sessions "$scratch/shipped")"
read -r ns _ nc _ nm _ nr _ nf _ nl _ _ _ _ _ _ <<<"$(sessions "$bin" --no-merge)"
failed_ok=$(grep -c 'then Reset All: equal to the start-up state' <<<"$app_tests")
failed_ok_all=$(grep -c 'then Reset All:' <<<"$app_tests")
fuzz=$(tools/fuzz.sh "$FUZZ_SECONDS" 2>&1)
rm -rf "$scratch"

fig() { sed -n "s/^reliability: $1/\1/p" <<<"$2" | head -1; }
steps=$(fig 'commit steps x modes interrupted and recovered: \(.*\)' "$wine_tests")
torn=$(fig 'torn writes tried: \(.*\)' "$native_tests")
hostile=$(fig 'hostile stores tried: \(.*\)' "$wine_tests")
f1=$(sed -n 's/^fuzz: store_fuzz: \(.*\)/\1/p' <<<"$fuzz")
f2=$(sed -n 's/^fuzz: store_roundtrip_fuzz: \(.*\)/\1/p' <<<"$fuzz")
wine_ok=$(grep -c '^\[  PASSED  \]' <<<"$wine_tests")
native_ok=$(grep -c '^\[  PASSED  \]' <<<"$native_tests")

echo "| Figure | Result |"
echo "|---|---|"
echo "| Commit steps x modes (fail once, fail always, kill) interrupted and recovered | $steps |"
echo "| Torn writes tried, loaded as the store | $torn |"
echo "| Concurrent commits, 2 processes: commits, refused as conflicts, lost undetected | $c2, $r2, $l2 |"
echo "| Concurrent commits, 4 processes: commits, refused as conflicts, lost undetected | $c4, $r4, $l4 |"
echo "| Same, 4 x 100 with KX_UNSAFE_NOGENERATION=1: updates lost (seen) | $lg of $cg |"
echo "| Same, 4 x 100 with KX_UNSAFE_NOLOCK=1: updates lost (seen) | $ll of $cl |"
echo "| Administrator sessions, 4 at once: sessions, commits, merged without conflict, refused as conflicts, lost updates undetected (false conflicts) | $ss, $sc, $sm, $sr, $sl ($sx) |"
echo "| Same, merge switched off (test build): sessions, commits, updates lost (seen by the detector) | $ns, $nc, $nl |"
echo "| Failed OK at each store step, then Reset All: equal to the state at start-up | $failed_ok of $failed_ok_all |"
echo "| Hostile stores tried, crashes | $hostile |"
echo "| Fuzz, readers (${FUZZ_SECONDS} s) | $f1 |"
echo "| Fuzz, round trip (${FUZZ_SECONDS} s) | $f2 |"
echo "| Wine reliability tests / native tests passed | $([ "$wine_ok" = 1 ] && echo yes || echo NO) / $([ "$native_ok" = 1 ] && echo yes || echo NO) |"
[ "$wine_ok" = 1 ] && [ "$native_ok" = 1 ] && [ "$l2" = 0 ] && [ "$l4" = 0 ] && [ "$sl" = 0 ] && [ "$sx" = 0 ]
