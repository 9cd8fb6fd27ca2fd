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
# its last OK, less the same program's peak on an empty installation (what
# Wine and the program take before any data); that installation's start-up
# is printed under the table, what (b) takes before any data.
#
# The largest size is measured once more in a Wine prefix of its own whose
# registry holds 20,000 unrelated keys, as a long-used machine's does
# (build/bench/wineprefix-grown, made once; the test prefix stays as it is).
# GROWN=0 leaves that run out.
set -euo pipefail
trap 'echo "bench/run.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root=$PWD
RUNS=${RUNS:-3}
GROWN=${GROWN:-1}
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

# empty_peak KEY: the program's peak working set and start-up on an empty
# installation.
empty_peak() {
  local dir="$scratch/inst-empty" k peaks=() starts=()
  rm -rf "$dir"
  timeout 300 "$WINE" "$bin/rvxlayout.exe" generate "$(winpath "$dir")" --clients 0 --configs 0 --per-config 0 \
    --products 0 >/dev/null
  export VELKAN_INSTALL
  VELKAN_INSTALL=$(winpath "$dir")
  for k in $(seq 1 "$RUNS"); do
    starts+=("$(field ms "$(launch)")")
    peaks+=("$(field peak-working-set "$(drive memory "$title")")")
    drive click "$title" 2 >/dev/null
    drive gone "$title" 60000
  done
  fig[$1,empty]=$(median <<<"${peaks[*]}")
  fig[$1,emptystart]=$(median <<<"${starts[*]}")
  unset VELKAN_INSTALL
}

# measure_size N KEY: every figure at N clients, kept under KEY.
measure_size() {
  local n=$1 key=$2 dir="$scratch/inst-$1"
  rm -rf "$dir"
  # shellcheck disable=SC2046
  timeout 900 "$WINE" "$bin/rvxlayout.exe" generate "$(winpath "$dir")" $(layout_args "$n") >/dev/null
  local products per store
  products=$(sed -n 's/.*--products \([0-9]*\).*/\1/p' <<<"$(layout_args "$n")")
  per=$(sed -n 's/.*--per-config \([0-9]*\).*/\1/p' <<<"$(layout_args "$n")")
  store=$(( $(stat -c %s "$dir/catalogue.kxs") + $(stat -c %s "$dir/config.kxs") ))
  fig[$key,store]=$store
  export VELKAN_INSTALL
  VELKAN_INSTALL=$(winpath "$dir")
  local k line
  local a=() f=() gc=() gp=() ir=() iw=() start=() cfg=() asg=() cfl=() vasg=() vcfl=() vcfg=() reset=()
  local ok0=() ok1=() peak=() sel=()
  for k in $(seq 1 "$RUNS"); do
    echo "$key: run $k of $RUNS" >&2
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
    fig[$key,$name]=$(median <<<"${!var}")
  done
  fig[$key,products]=$products
  local kind=${key%%:*}
  fig[$key,grow]=$(awk -v p="${fig[$key,peak]}" -v e="${fig[$kind,empty]}" 'BEGIN { print p - e }')
  unset VELKAN_INSTALL
}

top=${SIZES[-1]}
empty_peak plain
for n in "${SIZES[@]}"; do measure_size "$n" "plain:$n"; done
COLUMNS_=()
for n in "${SIZES[@]}"; do COLUMNS_+=("plain:$n"); done

# The grown registry: 200 vendors of 100 keys each, with a value apiece.
if [ "$GROWN" = 1 ]; then
  wine_server_stop
  export WINEPREFIX=$out/wineprefix-grown
  wine_boot null
  if [ ! -f "$WINEPREFIX/.grown" ]; then
    echo "growing the registry of $WINEPREFIX by 20,000 keys" >&2
    awk 'BEGIN { print "REGEDIT4"; for (v = 0; v < 200; v++) for (k = 0; k < 100; k++)
           printf "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor %03d\\Component %03d]\n\"Installed\"=\"%d\"\n", v, k, v * 100 + k }' \
      >"$scratch/grown.reg"
    timeout 900 "$WINE" regedit /S "$(winpath "$scratch/grown.reg")" >/dev/null 2>&1
    touch "$WINEPREFIX/.grown"
  fi
  wine_server_start
  empty_peak grown
  measure_size "$top" "grown:$top"
  COLUMNS_+=("grown:$top")
fi

ms() { printf "%.0f" "$1"; }
ratio() { awk -v x="$1" -v y="$2" 'BEGIN { if (y > 0) printf "%.2f", x / y; else print "-" }'; }
mb() { awk -v x="$1" 'BEGIN { printf "%.1f", x / 1048576 }'; }
# within X LIMIT: whether X <= LIMIT
within() { awk -v x="$1" -v l="$2" 'BEGIN { exit !(x != "-" && x <= l) }'; }
# Targets hold at 10,000 clients and above; growth is from the second
# largest size to the largest.
prev=""
[ ${#SIZES[@]} -ge 2 ] && prev=${SIZES[-2]}

{
  printf "| Figure |"
  for c in "${COLUMNS_[@]}"; do
    if [[ $c == grown:* ]]; then printf " %s clients, grown registry |" "$(printf "%'d" "${c#*:}")"
    else printf " %s clients |" "$(printf "%'d" "${c#*:}")"; fi
  done
  [ -n "$prev" ] && printf " growth %s to %s |" "$(printf "%'d" "$prev")" "$(printf "%'d" "$top")"
  printf " target | reached |\n|---|"
  for c in "${COLUMNS_[@]}"; do printf -- "---|"; done
  [ -n "$prev" ] && printf -- "---|"
  printf -- "---|---|\n"
  # value KEY COLUMN FLOOR: the figure's ratio to its floor (or the figure)
  value() {
    local key=$1 c=$2 floor=$3 fl
    if [ -z "$floor" ]; then echo "${fig[$c,$key]}"; return; fi
    if [[ $floor == *+* ]]; then fl=$(awk -v x="${fig[$c,${floor%+*}]}" -v y="${fig[$c,${floor#*+}]}" 'BEGIN{print x+y}')
    else fl=${fig[$c,$floor]}; fi
    ratio "${fig[$c,$key]}" "$fl"
  }
  row() {   # row LABEL LIMIT KEY [FLOOR-KEY]: LIMIT is the largest ratio allowed, or empty
    local label=$1 limit=$2 key=$3 floor=${4:-} c v ok=yes growth=""
    printf "| %s |" "$label"
    for c in "${COLUMNS_[@]}"; do
      v=$(value "$key" "$c" "$floor")
      if [ -n "$floor" ]; then printf " %s ms (%s x) |" "$(ms "${fig[$c,$key]}")" "$v"
      else printf " %s ms |" "$(ms "${fig[$c,$key]}")"; fi
      if [ -n "$limit" ] && [ "${c#*:}" -ge 10000 ] && ! within "$v" "$limit"; then ok=no; fi
    done
    if [ -n "$prev" ]; then
      growth=$(ratio "${fig[plain:$top,$key]}" "${fig[plain:$prev,$key]}")
      printf " %s x |" "$growth"
    fi
    # The floors have no target of their own.
    if [ -z "$limit" ]; then printf " | |\n"; return; fi
    if [ -n "$growth" ] && ! within "$growth" 8; then ok="$ok; growth over 8 x"; fi
    printf " <= %s x, growth <= 8 x | %s |\n" "$limit" "$ok"
  }
  row "(i) raw read of the store's files" "" ir
  row "(i) raw write of as many bytes, flush, rename" "" iw
  row "(a) start-up's reads through the installer API (x raw read)" 5 a ir
  row "(f) save and commit through the installer API (x raw write)" 5 f iw
  row "(g) bare list-box fill, all clients" "" gc
  row "(g) bare list-box fill, all products" "" gp
  row "(b) start-up until the main dialog waits for input (x a)" 1.5 start a
  row "(c) switch configuration, configurations page (x g products)" 3 cfg gp
  row "(c) switch configuration, assignments page (x g clients)" 3 asg gc
  row "(c) switch configuration, conflicts page (x g products)" 3 cfl gp
  row "(c) switch view to assignments (x g clients)" 3 vasg gc
  row "(c) switch view to conflicts (x g products)" 3 vcfl gp
  row "(c) switch view to configurations (x g products)" 3 vcfg gp
  row "(d) Reset All (x g clients + g products)" 3 reset gc+gp
  row "(e) OK, nothing changed (x f)" 1.5 ok0 f
  row "(e) OK after edits on every page (x f)" 1.5 ok1 f
  row "2,000 (or all) LB_SETSEL one by one, redraw on (for scale)" "" sel
  # Memory: the peak above the empty installation's, against the store.
  printf "| (h) peak working set less an empty installation's / store on disk |"
  ok=yes
  for c in "${COLUMNS_[@]}"; do
    v=$(ratio "${fig[$c,grow]}" "${fig[$c,store]}")
    printf " %s MB / %s MB (%s x) |" "$(mb "${fig[$c,grow]}")" "$(mb "${fig[$c,store]}")" "$v"
    if [ "${c#*:}" -ge 10000 ] && ! within "$v" 4; then ok=no; fi
  done
  growth=""
  if [ -n "$prev" ]; then
    growth=$(ratio "${fig[plain:$top,grow]}" "${fig[plain:$prev,grow]}")
    printf " %s x |" "$growth"
    within "$growth" 8 || ok="$ok; growth over 8 x"
  fi
  printf " <= 4 x, growth <= 8 x | %s |\n" "$ok"
  printf "\nAn empty installation's peak working set: %s MB" "$(mb "${fig[plain,empty]}")"
  [ "$GROWN" = 1 ] && printf " (%s MB in the grown registry)" "$(mb "${fig[grown,empty]}")"
  printf "; its start-up (the process, its libraries, the dialog and its pages): %s ms" "$(ms "${fig[plain,emptystart]}")"
  [ "$GROWN" = 1 ] && printf " (%s ms in the grown registry)" "$(ms "${fig[grown,emptystart]}")"
  printf ". Targets are checked at 10,000 clients and above (and in the grown registry); growth is the\n"
  printf "largest size's figure over the one before, each against no floor.\n"
  printf "\nMedians of %s runs; load average at the end: %s\n" "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$out/table.md"
