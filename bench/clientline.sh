#!/usr/bin/env bash
# The client line of the assignments page (1052) at the largest size of
# bench/run.sh: 65,535 clients, 500 configurations of 2,000 clients (each
# client in about 15 of them). Prints rows for the table of bench/run.sh;
# asserts nothing.
#
#   bench/clientline.sh        RUNS=N for more runs a figure (default 3);
#                              each figure is the median of its runs
#
# The real rvxadmin.exe, started and driven from outside by uidrive, as in
# bench/run.sh: each figure is the time from sending the selection (the
# selection's messages and LBN_SELCHANGE) or the click until the program
# waits for input again. The floor is a selection change that shows no line
# (two clients selected). The index of which configurations hold each client
# is built when the page is first shown; a selection only asks it.
set -euo pipefail
trap 'echo "bench/clientline.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-$PWD/build} RUNS=${RUNS:-3}
bin=$BUILD_DIR/bin title="Network Installation Administrator"
. tools/wine-env.sh
scratch=$(mktemp -d /tmp/clientline.XXXXXX)
trap 'wine_server_stop; rm -rf "$scratch"' EXIT
[ -f "$BUILD_DIR/build.ninja" ] ||
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >&2
cmake --build "$BUILD_DIR" --target rvxadmin rvxrsus rvxlayout uidrive >&2
wine_boot null >/dev/null 2>&1 && wine_server_start
export VELKAN_INSTALL
VELKAN_INSTALL=$(winpath "$scratch/store")
echo "laying out 65,535 clients, 500 configurations of 2,000" >&2
timeout 900 "$WINE" "$bin/rvxlayout.exe" generate "$VELKAN_INSTALL" --clients 65535 --configs 500 \
  --per-config 2000 --products 2000 >/dev/null

ui() { timeout 600 "$WINE" "$bin/uidrive.exe" "$@" | tr -d '\r'; }
# ms COMMAND...: the time the program took for an uidrive command
ms() { ui time "$@" | sed -n 's/^ms //p'; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
declare -A runs
for k in $(seq 1 "$RUNS"); do
  echo "run $k of $RUNS" >&2
  # The program inherits uidrive's output: a file, never a pipe.
  timeout 600 "$WINE" "$bin/uidrive.exe" launch "$title" "$(winpath "$bin/rvxadmin.exe")" >"$scratch/launch.out"
  runs[view]+=" $(ms view "$title" "Client assignments")"
  ui choose "$title" 1019 "Bench Config 0003" >/dev/null
  # The configuration's first clients, on the right.
  mapfile -t c < <(ui items "$title" 1020 | head -4)
  for i in 1 2 3; do
    runs[two]+=" $(ms select "$title" 1020 "${c[0]}" "${c[i]}")"
    runs[one]+=" $(ms select "$title" 1020 "${c[i]}")"
  done
  [ -n "$(ui text "$title" 1052)" ] || { echo "bench/clientline.sh: the line stayed empty" >&2; exit 1; }
  runs[move]+=" $(ms click "$title" 1032)"
  runs[switch]+=" $(ms choose "$title" 1019 "Bench Config 0004")"
  ui click "$title" 2 >/dev/null
  ui answer "$title" 6 >/dev/null
  ui gone "$title" 60000
done
for key in "${!runs[@]}"; do runs[$key]=$(median <<<"${runs[$key]}"); done
# row LABEL KEY [FLOOR-KEY]
row() {
  awk -v l="$1" -v x="${runs[$2]}" -v f="${3:+${runs[$3]}}" \
    'BEGIN { if (f == "") printf "| %s | %.1f ms |\n", l, x; else printf "| %s | %.1f ms (%.2f x) |\n", l, x, x / f }'
}
echo "| Figure | 65,535 clients, 500 configurations of 2,000 |"
echo "|---|---|"
row "(j) selection change, two clients: no line (the floor)" two
row "(j) one client selected: the line names its configurations (x floor)" one two
row "(j) the selected client moved out: the line shows the change (x floor)" move two
row "(j) first switch of view to assignments: the index built" view
row "(j) switch configuration, assignments page: the index kept" switch
printf "\nMedians of %s runs; load average at the end: %s\n" "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
