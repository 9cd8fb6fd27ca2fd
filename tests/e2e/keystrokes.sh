#!/usr/bin/env bash
# Keystrokes from outside, posted as the keyboard posts them, to the real
# program on the demo installation:
#  1. Enter on a focused Add adds the selected product.
#  2. Escape asks the discard question; Escape on the question, and Enter
#     (No is its default), keep the dialog open with the edit.
#  3. The configuration box dropped down (F4), moved two items down and
#     cancelled with Escape names the configuration the page still shows.
#  4. OK stores the edit. A second run that only looks at other
#     configurations closes on OK without a new generation.
#  5. Start-up on a directory without a store shows one message that names
#     the directory, and ends.
. "$(dirname "$0")/e2e.sh"
title="Network Installation Administrator"
drive() { timeout 30 "$WINE" "$bin/uidrive.exe" "$@"; }
store="$(winpath "$work/inst")"
print() { timeout 60 "$WINE" "$bin/rvxlayout.exe" print "$store" | tr -d '\r'; }
failed=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected \"$2\", got \"$3\""; failed=$((failed + 1)); fi
}
text() { drive text "$title" "$1" | tr -d '\r'; }
last() { drive items "$title" "$1" | tr -d '\r' | tail -n 1; }
asked() { drive message "$title" "${1:-5000}" >/dev/null 2>&1 && echo asked || echo "not asked"; }

timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$store" "$(winpath "$SRC/tools/demo-install.txt")" ||
  { sleep 1; timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$store" "$(winpath "$SRC/tools/demo-install.txt")"; }
VELKAN_INSTALL="$store" timeout 120 "$WINE" "$bin/rvxadmin.exe" &
pids+=($!)
drive wait "$title" 30000
check "the first configuration is shown" "Engineering" "$(text 1019)"

# 1. Enter on the focused Add.
forms="Velkan Forms Designer (3.1)"
drive select "$title" 1018 "$forms"
drive focus "$title" 1030
drive key "$title" 0 13
check "Enter on a focused Add adds" "$forms" "$(last 1020)"

# 2. The discard question keeps everything unless answered Yes.
drive key "$title" 0 27
check "Escape with an edit asks" asked "$(asked)"
drive key "$title" 0 27
check "Escape on the question closes only the question" "not asked" "$(asked 500)"
check "and keeps the edit" "$forms" "$(last 1020)"
drive key "$title" 0 27
check "Escape asks again" asked "$(asked)"
drive key "$title" 0 13
check "Enter on the question (No) closes only the question" "not asked" "$(asked 500)"
check "and keeps the edit again" "$forms" "$(last 1020)"

# 3. A cancelled drop-down.
drive focus "$title" 1019
for key in 115 40 40 27; do drive key "$title" 0 "$key"; done
check "a cancelled drop-down names the configuration shown" "Engineering" "$(text 1019)"
check "whose products are still shown" "$forms" "$(last 1020)"

# 4. OK stores the product added, where the box said.
drive click "$title" 1
drive gone "$title" 20000
wait "${pids[0]}"; pids=()
print >"$work/after.txt"
check "OK stored the product in Engineering" "uses Velkan Forms" \
  "$(sed -n '/^config Engineering /,/^config /p' "$work/after.txt" | grep '^uses' | tail -n 1)"

VELKAN_INSTALL="$store" timeout 120 "$WINE" "$bin/rvxadmin.exe" &
pids+=($!)
drive wait "$title" 30000
drive choose "$title" 1019 "Office"
drive view "$title" "#2"
drive choose "$title" 1019 "Field Sales"
drive view "$title" "#1"
drive click "$title" 1
drive gone "$title" 20000
wait "${pids[0]}"; pids=()
check "OK after only looking writes no generation" "$(head -n 1 "$work/after.txt")" "$(print | head -n 1)"

# 5. No store where VELKAN_INSTALL points.
mkdir "$work/nostore"
VELKAN_INSTALL="$(winpath "$work/nostore")" timeout 60 "$WINE" "$bin/rvxadmin.exe" &
pids+=($!)
message=$(drive message rvxadmin 30000 | tr -d '\r')
echo "start-up said: $message"
check "the message starts as it always did" "Could not get current language" "$(head -n 1 <<<"$message")"
case "$message" in *"$(winpath "$work/nostore")"*) echo "ok: it names the directory" ;;
  *) echo "FAILED: the message does not name $(winpath "$work/nostore")"; failed=$((failed + 1)) ;; esac
drive answer rvxadmin 1
wait "${pids[0]}" || true; pids=()

if [ "$failed" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
