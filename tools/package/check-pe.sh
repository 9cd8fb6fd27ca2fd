#!/usr/bin/env bash
# Checks the shipped files of one variant before they are packed, from their
# PE headers alone (nothing runs, so the 32-bit variant is checked on a
# machine that cannot execute it):
#   - the program and every DLL are PE files of the variant's machine;
#   - each installer library exports exactly the entry points of its .def
#     file, undecorated (no leading underscore, no @n of stdcall);
#   - the program imports the three installer libraries, and only names
#     they export;
#   - nothing imports a runtime DLL of the compiler (the files stand alone);
#   - every program carries a manifest that runs it asInvoker: a 32-bit
#     program without one would have its writes to Program Files redirected
#     to each user's VirtualStore.
# Usage: tools/package/check-pe.sh DIR x64|x86
# Prints one line per file and "check-pe: N problems"; exits non-zero on any.
set -euo pipefail
trap 'echo "check-pe.sh: failed at line $LINENO" >&2' ERR
dir="$1" arch="$2"
src="$(cd "$(dirname "$0")/../.." && pwd)"
# The x86-64 objdump reads the PE files of both machines.
objdump=x86_64-w64-mingw32-objdump
case "$arch" in
  x64) format=pei-x86-64 ;;
  x86) format=pei-i386 ;;
  *) echo "check-pe.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
problems=0
problem() { echo "  PROBLEM: $*"; problems=$((problems + 1)); }

# def_exports NAME: the entry points listed in installer/*/NAME.def.
def_exports() {
  sed -n '/^EXPORTS/,$p' "$src"/installer/*/"$1.def" | sed -n 's/^[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_@]*\).*/\1/p' | sort
}
# exports FILE: the names in the export table of FILE.
exports() {
  "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] \(.*\)$/\1/p' | sort
}
# imports FILE DLL: the names FILE imports from DLL.
imports() {
  "$objdump" -p "$1" | sed -n "/DLL Name: $2\$/,/^\$/p" |
    sed -n 's/^[[:space:]]*[0-9a-f]\{1,\}[[:space:]]\{1,\}[0-9]\{1,\}[[:space:]]\{1,\}\(.*\)$/\1/p' | sort
}

shopt -s nullglob
files=("$dir"/*.exe "$dir"/*.dll)
[ ${#files[@]} -gt 0 ] || { echo "check-pe.sh: no program or DLL in $dir" >&2; exit 1; }
for f in "${files[@]}"; do
  name=$(basename "$f")
  header=$("$objdump" -f "$f" 2>&1) || { problem "$name: objdump -f failed: $header"; continue; }
  got=$(sed -n 's/.*file format \([^[:space:]]*\).*/\1/p' <<<"$header")
  [ "$got" = "$format" ] || problem "$name: file format '$got', expected $format"
  runtime=$("$objdump" -p "$f" 2>/dev/null | sed -n 's/^[[:space:]]*DLL Name: //p' |
            grep -iE '^(libgcc|libstdc\+\+|libwinpthread)' || true)
  [ -z "$runtime" ] || problem "$name: imports the compiler's runtime: $(echo $runtime)"
  # The manifest resource is the manifest's own UTF-8 text.
  [[ "$name" != *.exe ]] || grep -aq 'requestedExecutionLevel level="asInvoker"' "$f" ||
    problem "$name: no manifest that runs it asInvoker"
  echo "$name: $got"
done

[ -f "$dir/rvxadmin.exe" ] || problem "rvxadmin.exe is missing"
for lib in KXIMPL32 PKRG KXBKND32; do
  f="$dir/$lib.dll"
  [ -f "$f" ] || { problem "$lib.dll is missing"; continue; }
  want=$(def_exports "$lib")
  have=$(exports "$f" || true)
  [ -n "$want" ] || problem "$lib: no entry points found in its .def file"
  decorated=$(grep -E '^_|@' <<<"$have" || true)
  [ -z "$decorated" ] || problem "$lib.dll exports decorated names: $(echo $decorated)"
  [ "$want" = "$have" ] ||
    problem "$lib.dll exports differ from $lib.def: $(diff <(echo "$want") <(echo "$have") | grep '^[<>]' | tr '\n' ' ')"
  echo "$lib.dll: exports $(wc -l <<<"$have") entry points"

  if [ -f "$dir/rvxadmin.exe" ]; then
    used=$(imports "$dir/rvxadmin.exe" "$lib.dll" || true)
    if [ -z "$used" ]; then
      problem "rvxadmin.exe does not import $lib.dll"
    else
      unknown=$(comm -23 <(echo "$used") <(echo "$have"))
      [ -z "$unknown" ] || problem "rvxadmin.exe imports from $lib.dll what it does not export: $(echo $unknown)"
      echo "rvxadmin.exe imports $(wc -l <<<"$used") entry points of $lib.dll"
    fi
  fi
done
echo "check-pe: $arch: $problems problems"
[ "$problems" -eq 0 ] || exit 1
