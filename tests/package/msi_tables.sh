#!/usr/bin/env bash
# Both packages read back table by table, as a deployment engineer checks them for Group Policy.
# Usage: tests/package/msi_tables.sh DIST   (after tools/package.sh)
# Ends with "N passed, M failed"; exits non-zero on any failure.
set -euo pipefail
trap 'echo "msi_tables.sh: failed at line $LINENO" >&2' ERR
src="$(cd "$(dirname "$0")/../.." && pwd)" dist="$(cd "$1" && pwd)"
version=$(cat "$src/build-x64-rel/version.txt")
work=$(mktemp -d /tmp/msitables.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {   # check WHAT COMMAND...: one checked behaviour
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
# rows MSI TABLE [FIELDS]: the table's rows (cut's fields), sorted; a long file name only.
# msiinfo writes a table's binary streams into the current folder: run it in the scratch one.
rows() { (cd "$work" && msiinfo export "$1" "$2") | tail -n +4 | cut -f"${3:-1-}" | tr -d '\r' | sed 's/^[^\t|]*|//' | LC_ALL=C sort; }
# versions DIR: "file version language" of each program and DLL of DIR, from
# its own VERSIONINFO, as the File table must hold it.
versions() {
  local f
  for f in "$1"/*.exe "$1"/*.dll; do echo "$(basename "$f") $("$src/tools/package/versioninfo.sh" "$f")"; done |
    LC_ALL=C sort
}

for arch in x64 x86; do
  msi="$dist/rvxadmin-$version-$arch.msi" files="$work/rvxadmin-$version-$arch"
  unzip -q "$dist/rvxadmin-$version-$arch.zip" -d "$work"
  check "$arch: the icon, on the shortcut and as ARPPRODUCTICON" test "$(rows "$msi" Icon 1)|$(rows "$msi" Shortcut 9)|$(
    rows "$msi" Property | sed -n 's/^ARPPRODUCTICON\t//p')" = "rvxadmin.ico|rvxadmin.ico|rvxadmin.ico"
  check "$arch: each version and language as in VERSIONINFO, no hash row" diff <(versions "$files") \
    <(rows "$msi" File 3,5,6 | awk -F'\t' '$2 != "" { print $1, $2, $3 }'; rows "$msi" MsiFileHash 1 | grep -E '\.(exe|dll)$')
  check "$arch: STOREDIR is secure and conditions the store's component" test "$(rows "$msi" Component 1,5 |
    grep StoreDir)|$(rows "$msi" Property | grep -c 'SecureCustomProperties.*STOREDIR')" = $'c_StoreDir\tSTOREDIR|1'
  check "$arch: the package holds the zip's files, the .chm and the manual among them" test -s "$files/rvxadmin.chm" \
    -a -s "$files/manual/index.html" -a -z "$(diff <(cd "$files" && find . -type f -printf '%f\n' | LC_ALL=C sort) <(rows "$msi" File 3))"
done
check "no component code is in both packages" test -z "$(comm -12 <(rows "$dist/rvxadmin-$version-x64.msi" Component 2) \
  <(rows "$dist/rvxadmin-$version-x86.msi" Component 2))"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || exit 1
