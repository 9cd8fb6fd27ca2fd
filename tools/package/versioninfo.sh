#!/usr/bin/env bash
# Prints the file version and the language (decimal) of a program or DLL from
# its own VERSIONINFO, as the File table of an MSI holds them: "1.1.0.0 1033".
# Prints nothing for a file without a version block.
# Usage: tools/package/versioninfo.sh FILE
set -euo pipefail
trap 'echo "versioninfo.sh: failed at line $LINENO" >&2' ERR
# windres reads the PE files of both machines.
rc=$(x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null || true)
version=$(sed -n 's/^[[:space:]]*FILEVERSION[[:space:]]*\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p' <<<"$rc")
language=$(sed -n 's/^[[:space:]]*VALUE "Translation", *\(0x[0-9a-fA-F]*\),.*/\1/p' <<<"$rc" | head -1)
[ -z "$version" ] || echo "$version $((${language:-0}))"
