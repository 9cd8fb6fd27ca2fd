#!/usr/bin/env bash
# Copy and the client line, end to end on the real program driven by control
# IDs: Copy (1051) on Office under a name that exists gives string 1020 and
# adds nothing; under "Office 2" it gives, after OK, Office's products in
# order, its system and words, and no clients. One client selected in
# either list of the assignments page names its configurations in 1052 as
# the working copies hold them (a client just moved at once); two clients
# selected show nothing.
. "$(dirname "$0")/e2e.sh"
title="Network Installation Administrator"
drive() { timeout 30 "$WINE" "$bin/uidrive.exe" "$@" | tr -d '\r'; }
store="$(winpath "$work/inst")"
print() { timeout 60 "$WINE" "$bin/rvxlayout.exe" print "$store" | tr -d '\r' | grep -v '^#'; }
passed=0 failed=0
expect() {  # expect WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; passed=$((passed + 1))
  else echo "FAILED: $1: \"$3\", expected \"$2\""; failed=$((failed + 1)); fi
}
copy_as() {
  drive click "$title" 1051
  drive wait "New Configuration" 10000
  drive settext "New Configuration" 1023 "$1"
  drive click "New Configuration" 1
  drive gone "New Configuration" 10000
}

timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$store" "$(winpath "$SRC/tools/demo-install.txt")"
print >"$work/before.txt"
VELKAN_INSTALL="$store" timeout 120 "$WINE" "$bin/rvxadmin.exe" &
pids+=($!)
drive wait "$title" 30000

drive choose "$title" 1019 "Office"
copy_as "ENGINEERING"
expect "an existing name is refused with string 1020" \
  "A configuration with this name already exists. Please choose another name." "$(drive message "$title")"
drive answer "$title" 1
copy_as "Office 2"
expect "the copy is shown" "Office 2" "$(drive text "$title" 1019)"

drive view "$title" "Client assignments"
drive choose "$title" 1019 "Office"
line() { drive select "$title" "$@"; drive text "$title" 1052; }
expect "one client on the right" "Engineering, Office" "$(line 1020 TRAINING-01)"
expect "one client on the left" "Engineering" "$(line 1018 ENG-WS1)"
drive click "$title" 1030
expect "a client just moved in" "Engineering, Office" "$(drive text "$title" 1052)"
expect "two clients" "" "$(line 1020 ENG-WS1 RECEPTION)"
drive select "$title" 1020 ENG-WS1
drive click "$title" 1032
expect "a client just moved out" "Engineering" "$(drive text "$title" 1052)"

drive click "$title" 1                          # OK
drive gone "$title" 20000
wait "${pids[0]}"; pids=()

# Office's block under the new name, without its clients, after the others.
{
  cat "$work/before.txt"
  sed -n '/^config Office |/,/^config /p' "$work/before.txt" | grep -v '^config [^O]' | grep -v '^assign ' |
    sed 's/^config Office |/config Office 2 |/'
} >"$work/expected.txt"
print >"$work/after.txt"
diff -u "$work/expected.txt" "$work/after.txt" || true
expect "the store holds Office 2 as a copy of Office" "$(cat "$work/expected.txt")" "$(cat "$work/after.txt")"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
