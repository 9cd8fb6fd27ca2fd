#!/usr/bin/env bash
# The shipped installer libraries (build/bin) hold no test switch: their
# files do not contain the switches' names, and with every switch set a
# commit through them still takes the lock and succeeds.
. "$(dirname "$0")/e2e.sh"
failed=0
for f in KXIMPL32.dll PKRG.dll KXBKND32.dll; do
  if grep -qaE 'KX_FAULT|KX_UNSAFE' "$bin/$f"; then echo "FAILED: $f names a test switch"; failed=1; fi
done
# The load harness is a test program: a copy of it runs beside the shipped
# libraries, which it then loads.
cp "$BUILD_DIR/testbin/rvxload.exe" "$bin/KXIMPL32.dll" "$bin/PKRG.dll" "$bin/KXBKND32.dll" "$work/"
store="$(winpath "$work/inst")"
timeout 60 "$WINE" "$bin/rvxlayout.exe" generate "$store" --clients 2 --configs 1 --per-config 1 --products 1
out=$(KX_FAULT='makeTempFiles@*,commitRVXChanges@*,commit.lock@*,commit.rename@*' KX_UNSAFE_NOLOCK=1 \
      KX_UNSAFE_NOGENERATION=1 KX_UNSAFE_NOMERGE=1 \
      timeout 60 "$WINE" "$work/rvxload.exe" hammer "$store" --commits 3 | tr -d '\r')
echo "$out"
grep -q '^hammer: commits 3 refused 0 busy 0 failed 0 value 3$' <<<"$out" || { echo "FAILED: a switch took effect"; failed=1; }
if [ "$failed" = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
