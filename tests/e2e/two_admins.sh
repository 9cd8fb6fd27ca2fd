#!/usr/bin/env bash
# Two administrators at once, end to end, with two real program files under
# Wine driven from outside:
#  1. A and B open on the demo installation; B removes "Velkan Calendar" from
#     "Office" and presses OK; A, still open, ticks only the default's
#     Mandatory and presses OK: the store holds both changes.
#  2. A and B open again; B changes "Office" and presses OK; A changes "Office"
#     too and presses OK: A is refused with a message naming "Office", its
#     dialog stays open with its edit, and the store is as B left it.
. "$(dirname "$0")/e2e.sh"
title="Network Installation Administrator"
# B runs from a copy under another program name, so that uidrive tells the
# two apart (both windows have the same caption).
mkdir "$work/b"
cp "$bin/KXIMPL32.dll" "$bin/PKRG.dll" "$bin/KXBKND32.dll" "$bin/rvxrsus.dll" "$work/b/"
cp "$bin/rvxadmin.exe" "$work/b/rvxadmin-b.exe"
A() { UIDRIVE_PROGRAM=rvxadmin.exe timeout 30 "$WINE" "$bin/uidrive.exe" "$@"; }
B() { UIDRIVE_PROGRAM=rvxadmin-b.exe timeout 30 "$WINE" "$bin/uidrive.exe" "$@"; }
store="$(winpath "$work/inst")"
print() { timeout 60 "$WINE" "$bin/rvxlayout.exe" print "$store" | tr -d '\r' | grep -v '^#'; }
start() { VELKAN_INSTALL="$store" timeout 300 "$WINE" "$1" & pids+=($!); }
failed=0
check() {  # check WHAT EXPECTED-FILE ACTUAL-FILE
  if diff -u "$2" "$3"; then echo "ok: $1"; else echo "FAILED: $1"; failed=$((failed + 1)); fi
}

timeout 60 "$WINE" "$bin/rvxlayout.exe" create "$store" "$(winpath "$SRC/tools/demo-install.txt")"
print >"$work/start.txt"

# 1. B's change survives A's later OK that touched only the default.
start "$bin/rvxadmin.exe"
A wait "$title" 30000
start "$work/b/rvxadmin-b.exe"
B wait "$title" 30000
B choose "$title" 1019 "Office"
B select "$title" 1020 "Velkan Calendar (4.2)"
B click "$title" 1032
B click "$title" 1
B gone "$title" 20000
A view "$title" "Conflict resolution"
A check "$title" 1029                           # the default's Mandatory
A click "$title" 1
A gone "$title" 20000
wait "${pids[@]}"; pids=()
print >"$work/after1.txt"
sed -e '/^uses Velkan Calendar$/d' \
    -e 's/^resolution administrator | shared | optional$/resolution administrator | shared | mandatory/' \
    "$work/start.txt" >"$work/expected1.txt"
check "B's change survives A's OK" "$work/expected1.txt" "$work/after1.txt"

# 2. A's OK on the configuration B changed is refused; A keeps its edit.
start "$bin/rvxadmin.exe"
A wait "$title" 30000
start "$work/b/rvxadmin-b.exe"
B wait "$title" 30000
B choose "$title" 1019 "Office"
B select "$title" 1018 "Velkan 3270 Terminal (2.0a)"
B click "$title" 1030
B click "$title" 1
B gone "$title" 20000
print >"$work/afterB.txt"
A choose "$title" 1019 "Office"
A select "$title" 1020 "Velkan Mail Client (4.2)"
A click "$title" 1032
A click "$title" 1
A message "$title" 20000 | tr -d '\r' >"$work/message.txt"
cat "$work/message.txt"
if grep -q 'configuration "Office"' "$work/message.txt" && grep -q "Nothing was stored" "$work/message.txt"; then
  echo "ok: A's OK is refused with a message naming Office"
else
  echo "FAILED: the refusal names Office"; failed=$((failed + 1))
fi
A answer "$title" 1
A wait "$title" 5000
A items "$title" 1020 | tr -d '\r' | sort >"$work/shownA.txt"
printf '%s\n' "Velkan Directory Browser (4.0)" >"$work/expectedA.txt"
check "A's dialog stays open with its edit" "$work/expectedA.txt" "$work/shownA.txt"
print >"$work/after2.txt"
check "the refused OK wrote nothing" "$work/afterB.txt" "$work/after2.txt"
A close "$title"
A answer "$title" 6                             # discard the edits: Yes
A gone "$title" 20000
wait "${pids[@]}"; pids=()

if [ "$failed" = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
