#!/usr/bin/env bash
# Keys posted from outside, as the keyboard posts them, to the real program:
# Enter on a focused Add; Escape, then Escape or Enter on the discard
# question; F4, Down, Down, Escape in the configuration box. Then OK, OK
# after only looking, and start-up where no store is.
. "$(dirname "$0")/e2e.sh"
title="Network Installation Administrator"
drive() { timeout 30 "$WINE" "$bin/uidrive.exe" "$@"; }
store="$(winpath "$work/inst")"
print() { timeout 60 "$WINE" "$bin/rvxlayout.exe" print "$store" | tr -d '\r'; }
start() { VELKAN_INSTALL="$1" timeout 120 "$WINE" "$bin/rvxadmin.exe" & pids+=($!); }
failed=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected \"$2\", got \"$3\""; failed=$((failed + 1)); fi
}
last() { drive items "$title" 1020 | tr -d '\r' | tail -n 1; }
# A box found is named on standard error, in case it was not the one meant.
asked() { local t; t=$(drive message "$title" "$1" 2>/dev/null) && { echo "box: $t" >&2; echo asked; } || echo "not asked"; }
closed() { drive nomessage "$title" "$1" && echo "not asked" || { asked 0 >/dev/null; echo asked; }; }

timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$store" "$(winpath "$SRC/tools/demo-install.txt")"
start "$store"
drive wait "$title" 30000
forms="Velkan Forms Designer (3.1)"
drive select "$title" 1018 "$forms"
drive focus "$title" 1030
drive key "$title" 0 13
check "Enter on the focused Add adds" "$forms" "$(soon "$forms" last)"
for answer in 27 13; do   # Escape, Enter
  drive key "$title" 0 27
  check "Escape asks" asked "$(asked 5000)"
  drive key "$title" 0 "$answer"
  check "key $answer on the question keeps the dialog and the edit" "not asked $forms" "$(closed 10000) $(soon "$forms" last)"
done
drive focus "$title" 1019
for key in 115 40 40 27; do drive key "$title" 0 "$key"; done   # F4, Down, Down, Escape
check "a cancelled drop-down names the configuration shown" "Engineering" "$(soon Engineering drive text "$title" 1019)"
drive click "$title" 1
drive gone "$title" 20000
print >"$work/after.txt"
check "OK stored the product there" "uses Velkan Forms" \
  "$(sed -n '/^config Engineering /,/^config /p' "$work/after.txt" | grep '^uses' | tail -n 1)"

# Office's left-hand list: every client of the catalogue but Office's own.
office=$(awk '/^config /{on = ($2 == "Office")} on && /^assign /{print $2}' "$SRC/tools/demo-install.txt")
catalogue=$(grep '^client ' "$SRC/tools/demo-install.txt" | cut -d' ' -f2 | grep -vxF "$office" | tr '\n' ' ')
for button in 2 1; do   # Cancel, OK
  start "$store"
  drive wait "$title" 30000
  drive view "$title" "#1"
  drive choose "$title" 1019 "Engineering"
  drive choose "$title" 1019 "Office"
  check "the available clients in catalogue order" "$catalogue" "$(drive items "$title" 1018 | tr -d '\r' | tr '\n' ' ')"
  drive view "$title" "#2"
  drive choose "$title" 1019 "Field Sales"
  drive click "$title" "$button"
  check "button $button after only looking asks nothing" "not asked" "$(asked 500)"
  drive gone "$title" 20000
done
check "nor writes a generation" "$(head -n 1 "$work/after.txt")" "$(print | head -n 1)"

mkdir "$work/nostore"
start "$(winpath "$work/nostore")"
message=$(drive message rvxadmin 30000 | tr -d '\r' | tr '\n' '|')
check "start-up without a store says why, naming the directory" \
  "Could not get current language||no installation store at $(winpath "$work/nostore")" "${message%%: *}"
drive answer rvxadmin 1
wait
pids=()
if [ "$failed" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
