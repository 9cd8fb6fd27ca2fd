#!/usr/bin/env bash
# Copy (1051) and the client line (1052) on the real program, by control IDs:
# Copy under a name that exists gives string 1020; Copy of Office as
# "Office 2" stores Office's products, system and words (one edited on the
# conflicts page) and no clients. One client selected names its
# configurations as the copies hold them; two selected show nothing.
. "$(dirname "$0")/e2e.sh"
title="Network Installation Administrator"
drive() { timeout 30 "$WINE" "$bin/uidrive.exe" "$@" | tr -d '\r'; }
store="$(winpath "$work/inst")"
print() { timeout 60 "$WINE" "$bin/rvxlayout.exe" print "$store" | tr -d '\r' | grep -v '^#'; }
passed=0 failed=0
expect() {  # expect WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else echo "FAILED: $1: \"$3\", not \"$2\""; failed=$((failed + 1)); fi
}
copy_as() { drive click "$title" 1051; drive wait "New Configuration" 10000
  drive settext "New Configuration" 1023 "$1"; drive click "New Configuration" 1; }
line() { drive "$1" "$title" "${@:2}"; drive text "$title" 1052; }

timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$store" "$(winpath "$SRC/tools/demo-install.txt")"
print >"$work/before.txt"
VELKAN_INSTALL="$store" timeout 120 "$WINE" "$bin/rvxadmin.exe" &
pids+=($!)
drive wait "$title" 30000
drive choose "$title" 1019 "Office"
drive view "$title" "Conflict resolution"
drive check "$title" 1033                       # Office optional, on the page only
drive view "$title" "Configurations and products"
copy_as "ENGINEERING"
expect "string 1020" "A configuration with this name already exists. Please choose another name." \
  "$(drive message "$title")"
drive answer "$title" 1
copy_as "Office 2"
expect "the copy is shown" "Office 2" "$(drive text "$title" 1019)"

drive view "$title" "Client assignments"
drive choose "$title" 1019 "Office"
expect "one on the right" "Engineering, Office" "$(line select 1020 TRAINING-01)"
expect "one on the left" "Engineering" "$(line select 1018 ENG-WS1)"
expect "just moved in" "Engineering, Office" "$(line click 1030)"
expect "two selected" "" "$(line select 1020 ENG-WS1 RECEPTION)"
drive select "$title" 1020 ENG-WS1
expect "just moved out" "Engineering" "$(line click 1032)"
drive click "$title" 1                          # OK
drive gone "$title" 20000
wait "${pids[0]}"; pids=()

# Office optional, and its block under the new name, without its clients, last.
sed -i '/^config Office |/s/mandatory=mandatory/mandatory=optional/' "$work/before.txt"
office='/^config Office |/,/^config /{/^config [^O]/d;/^assign /d;s/^config Office |/config Office 2 |/;p}'
expect "the store" "$(cat "$work/before.txt"; sed -n "$office" "$work/before.txt")" "$(print)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
