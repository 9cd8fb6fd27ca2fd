#!/usr/bin/env bash
# The program's speed at three installation sizes, against the floors it
# cannot go below. Prints one table (and keeps it in build/bench/table.md).
#
#   bench/run.sh [SIZES...]        default: 1000 10000 65535 clients
#   RUNS=N bench/run.sh            runs per figure (default 3); each figure is
#                                  the median of its runs
#
# Sizes (rvxlayout generate): 65535 clients, 500 configurations of 2,000
# clients, 2,000 products (a 21 MB configuration store); 10000 clients, 76
# configurations of 2,000, 305 products; 1000 clients, 30 configurations of
# 500, 31 products. The stores grow as the client count does.
#
# The program (b..e, h) is the real rvxadmin.exe, started and driven from
# outside by uidrive: each figure is the time from sending the command until
# the program has handled it and waits for input again. The floors (a, f, g,
# i) are in-process measurements of rvxbench.exe. Peak memory (h) is the
# program's own peak working set as the system reports it, read just before
# its last OK.
set -euo pipefail
trap 'echo "bench/run.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root=$PWD
RUNS=${RUNS:-3}
SIZES=("$@")
[ ${#SIZES[@]} -gt 0 ] || SIZES=(1000 10000 65535)
export BUILD_DIR=${BUILD_DIR:-$root/build}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
fi
echo "building rvxadmin, rvxlayout, uidrive, rvxbench" >&2
cmake --build "$BUILD_DIR" --target rvxadmin rvxrsus rvxlayout uidrive rvxbench
. tools/wine-env.sh
wine_boot null
wine_server_start
scratch=$(mktemp -d /tmp/rvxbench.XXXXXX)
finish() { wine_server_stop; rm -rf "$scratch"; }
trap finish EXIT
bin=$BUILD_DIR/bin
title="Network Installation Administrator"
out=$BUILD_DIR/bench
mkdir -p "$out"

drive() { timeout 600 "$WINE" "$bin/uidrive.exe" "$@" | tr -d '\r'; }
# The started program inherits uidrive's output: a file, never a pipe that
# would stay open until the program ends.
launch() {
  timeout 600 "$WINE" "$bin/uidrive.exe" launch "$title" "$(winpath "$bin/rvxadmin.exe")" >"$scratch/launch.out" 2>"$scratch/launch.err"
  tr -d '\r' <"$scratch/launch.out"
}
bench() { timeout 600 "$WINE" "$bin/rvxbench.exe" "$@" | tr -d '\r'; }
# field NAME LINE: the number after NAME in LINE
field() { sed -n "s/^\(.* \)\{0,1\}$1 \([0-9.]*\).*/\2/p" <<<"$2" | head -1; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

layout_args() {
  case $1 in
    65535) echo "--clients 65535 --configs 500 --per-config 2000 --products 2000" ;;
    10000) echo "--clients 10000 --configs 76 --per-config 2000 --products 305" ;;
    1000) echo "--clients 1000 --configs 30 --per-config 500 --products 31" ;;
    *) echo "--clients $1 --configs $(($1 * 500 / 65535 + 1)) --per-config $(($1 < 2000 ? $1 : 2000)) --products $(($1 * 2000 / 65535 + 1))" ;;
  esac
}

declare -A fig

measure_size() {
  local n=$1 dir="$scratch/inst-$1"
  # shellcheck disable=SC2046
  timeout 900 "$WINE" "$bin/rvxlayout.exe" generate "$(winpath "$dir")" $(layout_args "$n") >/dev/null
  local products per store
  products=$(sed -n 's/.*--products \([0-9]*\).*/\1/p' <<<"$(layout_args "$n")")
  per=$(sed -n 's/.*--per-config \([0-9]*\).*/\1/p' <<<"$(layout_args "$n")")
  store=$(( $(stat -c %s "$dir/catalogue.kxs") + $(stat -c %s "$dir/config.kxs") ))
  fig[$n,store]=$store
  export VELKAN_INSTALL
  VELKAN_INSTALL=$(winpath "$dir")
  local k line
  local a=() f=() gc=() gp=() ir=() iw=() start=() cfg=() asg=() cfl=() vasg=() vcfl=() vcfg=() reset=()
  local ok0=() ok1=() peak=() sel=()
  for k in $(seq 1 "$RUNS"); do
    echo "size $n: run $k of $RUNS" >&2
    line=$(bench read); a+=("$(field ms "$line")")
    line=$(bench write); f+=("$(field ms "$line")")
    line=$(bench fill "$n"); gc+=("$(field ms "$line")")
    line=$(bench fill "$products"); gp+=("$(field ms "$line")")
    line=$(bench io "$(winpath "$dir")"); ir+=("$(field read-ms "$line")"); iw+=("$(field write-ms "$line")")
    line=$(bench setsel "$n" $((n < 2000 ? n : 2000))); sel+=("$(field ms "$line")")

    # Start-up, every switch, Reset All, edits on every page, OK.
    line=$(launch); start+=("$(field ms "$line")")
    line=$(drive time choose "$title" 1019 "Bench Config 0009"); cfg+=("$(field ms "$line")")
    line=$(drive time view "$title" "Client assignments"); vasg+=("$(field ms "$line")")
    line=$(drive time choose "$title" 1019 "Bench Config 0003"); asg+=("$(field ms "$line")")
    line=$(drive time view "$title" "Conflict resolution"); vcfl+=("$(field ms "$line")")
    line=$(drive time choose "$title" 1019 "Bench Config 0004"); cfl+=("$(field ms "$line")")
    line=$(drive time view "$title" "Configurations and products"); vcfg+=("$(field ms "$line")")
    line=$(drive time click "$title" 1005); reset+=("$(field ms "$line")")
    # Edits: a product added to another configuration, a client assigned to
    # a third, the fourth made mandatory.
    drive choose "$title" 1019 "Bench Config 0009" >/dev/null
    drive select "$title" 1018 "$(drive items "$title" 1018 | head -1)" >/dev/null
    drive click "$title" 1030 >/dev/null
    drive view "$title" "Client assignments" >/dev/null
    drive choose "$title" 1019 "Bench Config 0003" >/dev/null
    # (a client of none of the first three configurations, another each run:
    # the runs' OKs keep what the ones before added)
    drive select "$title" 1018 "$(printf 'CLIENT-%06d' $(( (3 * per + k - 1) % n + 1 )))" >/dev/null
    drive click "$title" 1030 >/dev/null
    drive view "$title" "Conflict resolution" >/dev/null
    drive choose "$title" 1019 "Bench Config 0004" >/dev/null
    drive check "$title" 1033 >/dev/null
    line=$(drive memory "$title"); peak+=("$(field peak-working-set "$line")")
    line=$(drive time click "$title" 1); ok1+=("$(field ms "$line")")
    drive gone "$title" 60000

    # OK with nothing changed, in a fresh run.
    launch >/dev/null
    line=$(drive time click "$title" 1); ok0+=("$(field ms "$line")")
    drive gone "$title" 60000
  done
  local name var
  for name in a f gc gp ir iw start cfg asg cfl vasg vcfl vcfg reset ok0 ok1 peak sel; do
    var="$name[*]"
    fig[$n,$name]=$(median <<<"${!var}")
  done
  fig[$n,products]=$products
  unset VELKAN_INSTALL
}

for n in "${SIZES[@]}"; do measure_size "$n"; done

ms() { printf "%.0f" "$1"; }
ratio() { awk -v x="$1" -v y="$2" 'BEGIN { if (y > 0) printf "%.2f", x / y; else print "-" }'; }
mb() { awk -v x="$1" 'BEGIN { printf "%.1f", x / 1048576 }'; }

{
  printf "| Figure |"
  for n in "${SIZES[@]}"; do printf " %s clients |" "$(printf "%'d" "$n")"; done
  printf " target |\n|---|"
  for n in "${SIZES[@]}"; do printf -- "---|"; done
  printf -- "---|\n"
  row() {   # row LABEL TARGET KEY [FLOOR-KEY]
    local label=$1 target=$2 key=$3 floor=${4:-}
    printf "| %s |" "$label"
    for n in "${SIZES[@]}"; do
      local v=${fig[$n,$key]}
      if [ -n "$floor" ]; then
        local fl
        if [[ $floor == *+* ]]; then fl=$(awk -v x="${fig[$n,${floor%+*}]}" -v y="${fig[$n,${floor#*+}]}" 'BEGIN{print x+y}')
        else fl=${fig[$n,$floor]}; fi
        printf " %s ms (%s x) |" "$(ms "$v")" "$(ratio "$v" "$fl")"
      else
        printf " %s ms |" "$(ms "$v")"
      fi
    done
    printf " %s |\n" "$target"
  }
  row "(i) raw read of the store's files" "" ir
  row "(i) raw write of as many bytes, flush, rename" "" iw
  row "(a) start-up's reads through the installer API (x raw read)" "<= 5 x" a ir
  row "(f) save and commit through the installer API (x raw write)" "<= 5 x" f iw
  row "(g) bare list-box fill, all clients" "" gc
  row "(g) bare list-box fill, all products" "" gp
  row "(b) start-up until the main dialog waits for input (x a)" "<= 1.5 x" start a
  row "(c) switch configuration, configurations page (x g products)" "<= 3 x" cfg gp
  row "(c) switch configuration, assignments page (x g clients)" "<= 3 x" asg gc
  row "(c) switch configuration, conflicts page (x g products)" "<= 3 x" cfl gp
  row "(c) switch view to assignments (x g clients)" "<= 3 x" vasg gc
  row "(c) switch view to conflicts (x g products)" "<= 3 x" vcfl gp
  row "(c) switch view to configurations (x g products)" "<= 3 x" vcfg gp
  row "(d) Reset All (x g clients + g products)" "<= 3 x" reset gc+gp
  row "(e) OK, nothing changed (x f)" "<= 1.5 x" ok0 f
  row "(e) OK after edits on every page (x f)" "<= 1.5 x" ok1 f
  row "2,000 (or all) LB_SETSEL one by one, redraw on (for scale)" "" sel
  printf "| (h) peak working set / store on disk |"
  for n in "${SIZES[@]}"; do
    printf " %s MB / %s MB (%s x) |" "$(mb "${fig[$n,peak]}")" "$(mb "${fig[$n,store]}")" \
      "$(ratio "${fig[$n,peak]}" "${fig[$n,store]}")"
  done
  printf " <= 4 x |\n"
  if [ ${#SIZES[@]} -ge 2 ]; then
    local_last=${SIZES[-1]}; local_prev=${SIZES[-2]}
    printf "\nGrowth from %s to %s clients (target <= 8 x): start-up %s x, assignments switch %s x, Reset All %s x, OK after edits %s x, OK %s x.\n" \
      "$local_prev" "$local_last" \
      "$(ratio "${fig[$local_last,start]}" "${fig[$local_prev,start]}")" \
      "$(ratio "${fig[$local_last,asg]}" "${fig[$local_prev,asg]}")" \
      "$(ratio "${fig[$local_last,reset]}" "${fig[$local_prev,reset]}")" \
      "$(ratio "${fig[$local_last,ok1]}" "${fig[$local_prev,ok1]}")" \
      "$(ratio "${fig[$local_last,ok0]}" "${fig[$local_prev,ok0]}")"
  fi
  printf "\nMedians of %s runs; load average at the end: %s\n" "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$out/table.md"
