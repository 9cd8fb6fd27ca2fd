#!/usr/bin/env bash
# The floors only go down: no file of a floor includes a header of a floor
# above it (framework <- data <- pages <- app), and the data layer uses no
# window, list box or message box.
set -uo pipefail
SRC="$2"; failed=0
headers() { (cd "$SRC/$1/include" && ls) | sed 's/^/"/; s/$/"/' | paste -sd'|'; }
above() { grep -rnE "#include ($(for f in "$@"; do headers "$f"; done | paste -sd'|'))" "$SRC/$floor" && failed=1; }
floor=framework above data pages app
floor=data above pages app
floor=pages above app
grep -rnE 'CWnd|HWND|ListBox|MessageBox|afxwin\.h' "$SRC/data" && failed=1
if [ "$failed" = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed: the lines above"; exit 1; fi
