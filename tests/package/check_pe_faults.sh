#!/usr/bin/env bash
# The check of the shipped 32-bit files finds what would break the program on
# Windows: each case spoils one file of a copy of the checked x86 stage and
# expects check-pe.sh to fail naming the fault.
# Usage: tests/package/check_pe_faults.sh   (after tools/package.sh)
# Ends with "N passed, M failed"; exits non-zero on any failure.
set -euo pipefail
trap 'echo "check_pe_faults.sh: failed at line $LINENO" >&2' ERR
src="$(cd "$(dirname "$0")/../.." && pwd)"
version=$(cat "$src/build-x86-rel/version.txt")
stage="$src/build-x86-rel/stage/rvxadmin-$version-x86"
[ -d "$stage" ] || { echo "check_pe_faults.sh: $stage not built: run tools/package.sh" >&2; exit 1; }
work=$(mktemp -d /tmp/checkpe.XXXXXX)
trap 'rm -rf "$work"' EXIT
cc=i686-w64-mingw32-gcc

# dll NAME DEF C-SOURCE [FLAGS...]: a small 32-bit DLL in $work/out.
dll() {
  local name=$1 def=$2 code=$3; shift 3
  printf '%s\n' "$code" >"$work/$name.c"
  printf 'LIBRARY %s\nEXPORTS\n%s\n' "$name" "$def" >"$work/$name.def"
  "$cc" -shared -O1 -o "$work/out/$name.dll" "$work/$name.c" "$work/$name.def" "$@"
}
text_routines='int kxtxcp(void){return 0;} int kxtxct(void){return 0;} int kxtxbs(void){return 0;} int kxtxpo(void){return 0;}'

# Each case: name | what spoils the copy | text the check must print.
cases=(
  "stdcall export|dll KXBKND32 \"  kxtxcp\n  kxtxct@4\n  kxtxbs\n  kxtxpo\" 'int kxtxcp(void){return 0;} int __stdcall kxtxct(int a){return a;} int kxtxbs(void){return 0;} int kxtxpo(void){return 0;}'|exports decorated names: kxtxct@4"
  "underscore export|dll KXBKND32 \"  _kxtxcp=kxtxcp\n  kxtxct\n  kxtxbs\n  kxtxpo\" \"\$text_routines\"|exports decorated names: _kxtxcp"
  "entry point missing|dll KXBKND32 \"  kxtxcp\n  kxtxct\n  kxtxbs\" \"\$text_routines\"|imports from KXBKND32.dll what it does not export: kxtxpo"
  "64-bit library|cp \"$src/build-x64-rel/bin/PKRG.dll\" \"\$work/out/\"|PKRG.dll: file format 'pei-x86-64', expected pei-i386"
  "compiler runtime DLL|dll KXBKND32 \"  kxtxcp\n  kxtxct\n  kxtxbs\n  kxtxpo\" 'long long kxtxcp(long long a, long long b){return a / b;} int kxtxct(void){return 0;} int kxtxbs(void){return 0;} int kxtxpo(void){return 0;}' -shared-libgcc|KXBKND32.dll: imports the compiler's runtime"
  "program without a manifest|printf 'int main(void){return 0;}' >\"\$work/t.c\" && $cc -o \"\$work/out/rvxcfg.exe\" \"\$work/t.c\"|rvxcfg.exe: no manifest that runs it asInvoker"
  "program without a library|cp \"$stage/rvxlayout.exe\" \"\$work/out/rvxadmin.exe\"|rvxadmin.exe does not import KXBKND32.dll"
)

passed=0 failed=0
fresh() { rm -rf "$work/out"; mkdir "$work/out"; cp -r "$stage"/* "$work/out/"; }
fresh
if "$src/tools/package/check-pe.sh" "$work/out" x86 >"$work/log" 2>&1; then
  passed=$((passed + 1))
else
  cat "$work/log"; echo "FAILED: the unspoilt copy passes"; failed=$((failed + 1))
fi
for c in "${cases[@]}"; do
  IFS='|' read -r name spoil expect <<<"$c"
  fresh
  eval "$(printf '%b' "$spoil")" >"$work/spoil.log" 2>&1 || { cat "$work/spoil.log"; echo "FAILED: $name: could not spoil the copy"; failed=$((failed + 1)); continue; }
  if ! "$src/tools/package/check-pe.sh" "$work/out" x86 >"$work/log" 2>&1 && grep -qF "$expect" "$work/log"; then
    passed=$((passed + 1))
  else
    cat "$work/log"; echo "FAILED: $name: expected a failure naming \"$expect\""; failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || exit 1
