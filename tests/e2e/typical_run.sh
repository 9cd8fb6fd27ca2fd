#!/usr/bin/env bash
# The typical run, end to end: create "Lab", add two products, assign three
# clients, tick mandatory, OK. Afterwards the store holds exactly that, and
# nothing else has changed.
. "$(dirname "$0")/e2e.sh"
title="Network Installation Administrator"
drive() { timeout 30 "$WINE" "$bin/uidrive.exe" "$@"; }

# The first program of the run: a Wine session still settling after the
# steps before (the package test installs and removes packages) can refuse
# a process start at once; that start is tried once more.
timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$(winpath "$work/inst")" "$(winpath "$SRC/tools/demo-install.txt")" ||
  { sleep 1; timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$(winpath "$work/inst")" "$(winpath "$SRC/tools/demo-install.txt")"; }
timeout 60 "$WINE" "$bin/rvxlayout.exe" print "$(winpath "$work/inst")" | tr -d '\r' | grep -v "^#" >"$work/before.txt"

VELKAN_INSTALL="$(winpath "$work/inst")" timeout 120 "$WINE" "$bin/rvxadmin.exe" &
pids+=($!)
drive wait "$title" 30000

drive click "$title" 1001                       # New...
drive wait "New Configuration" 10000
drive settext "New Configuration" 1023 "Lab"
drive click "New Configuration" 1
drive gone "New Configuration" 10000
drive choose "$title" 1034 "Windows (32-bit)"
drive select "$title" 1018 "Velkan Mail Client (4.2)" "Velkan Calendar (4.2)"
drive click "$title" 1030

drive view "$title" "Client assignments"
# Enter in the filter box stays in the page (OK would commit and close);
# Escape there clears the filter.
drive settext "$title" 1050 "ENG"
drive key "$title" 1050 13
drive key "$title" 1050 27
[ -z "$(soon "" drive text "$title" 1050)" ] || { echo "Escape left the filter's text"; exit 1; }
drive select "$title" 1018 "ENG-WS1" "KIOSK" "LAB-OLD"
drive click "$title" 1030
# The configuration keeps the assigned clients in the order the box shows:
# the catalogue's, as they were moved together.
drive items "$title" 1020 | tr -d '\r' >"$work/assigned.txt"
tr '\n' ' ' <"$work/assigned.txt" | grep -qx "ENG-WS1 LAB-OLD KIOSK " || { echo "assigned: $(cat "$work/assigned.txt")"; exit 1; }

drive view "$title" "Conflict resolution"
drive check "$title" 1033                       # mandatory, for Lab

drive click "$title" 1                          # OK
drive gone "$title" 20000
wait "${pids[0]}"; pids=()

timeout 60 "$WINE" "$bin/rvxlayout.exe" print "$(winpath "$work/inst")" | tr -d '\r' | grep -v "^#" >"$work/after.txt"

# Items moved together keep their order (the catalogue's, from the left), and
# the configuration keeps the box's order.
{
  cat "$work/before.txt"
  echo "config Lab | admin=user | location=shared | mandatory=mandatory | os=Windows (32-bit) | value=0"
  echo "uses Velkan Mail"
  echo "uses Velkan Calendar"
  sed 's/^/assign /' "$work/assigned.txt"
} >"$work/expected.txt"
if diff -u "$work/expected.txt" "$work/after.txt"; then
  echo "1 passed, 0 failed"
else
  echo "the store after OK differs from what was entered (above)"
  echo "0 passed, 1 failed"
  exit 1
fi
