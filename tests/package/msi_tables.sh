#!/usr/bin/env bash
# Both packages read back table by table, as a deployment engineer checks
# them before handing them to Group Policy (msitools' msiinfo):
#   - the icon is in the Icon table, on the shortcut and ARPPRODUCTICON;
#   - no component code is shared by the x64 and the x86 package (every
#     folder and registry view of theirs differs);
#   - every program and DLL of the zip has the version and language of its
#     own VERSIONINFO in the File table, and no hash row;
#   - STOREDIR is secure, and the store's component installs only with it;
#   - the .chm and the HTML manual are in both packages and both zips.
# Usage: tests/package/msi_tables.sh DIST   (after tools/package.sh)
# Ends with "N passed, M failed"; exits non-zero on any failure.
set -euo pipefail
trap 'echo "msi_tables.sh: failed at line $LINENO" >&2' ERR
src="$(cd "$(dirname "$0")/../.." && pwd)"
dist="$(cd "$1" && pwd)"
version=$(cat "$src/build-x64-rel/version.txt")
work=$(mktemp -d /tmp/msitables.XXXXXX)
trap 'rm -rf "$work"' EXIT

passed=0 failed=0
check() {   # check WHAT COMMAND...: one checked behaviour
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
# rows MSI TABLE [COLUMNS]: the table's rows (cut's field list), tab-separated.
rows() { msiinfo export "$1" "$2" | tail -n +4 | cut -f"${3:-1-}" | tr -d '\r' | LC_ALL=C sort; }
# versions_match MSI DIR: each program and DLL in DIR has its File row with
# its own version and language, and no hash row.
versions_match() {
  local f want have ok=0
  for f in "$2"/*.exe "$2"/*.dll; do
    want=$("$src/tools/package/versioninfo.sh" "$f")
    have=$(rows "$1" File 3,5,6 | awk -F'\t' -v n="$(basename "$f")" '{ sub(/.*\|/, "", $1) } $1 == n { print $2, $3 }')
    [ -n "$want" ] && [ "$want" = "$have" ] || { echo "  $(basename "$f"): VERSIONINFO '$want', File table '$have'"; ok=1; }
    ! rows "$1" MsiFileHash 1 | grep -qx "f_$(basename "$f")" || { echo "  $(basename "$f") has a hash row"; ok=1; }
  done
  return $ok
}

for arch in x64 x86; do
  msi="$dist/rvxadmin-$version-$arch.msi" zip="$dist/rvxadmin-$version-$arch.zip"
  unzip -q "$zip" -d "$work"
  files="$work/rvxadmin-$version-$arch"
  echo "== $arch"
  check "$arch: the icon is in the Icon table" test "$(rows "$msi" Icon 1)" = rvxadmin.ico
  check "$arch: the shortcut and ARPPRODUCTICON use it" \
    test "$(rows "$msi" Shortcut 9)-$(rows "$msi" Property | awk -F'\t' '$1 == "ARPPRODUCTICON" { print $2 }')" = rvxadmin.ico-rvxadmin.ico
  check "$arch: the File table holds each version and language" versions_match "$msi" "$files"
  check "$arch: STOREDIR is secure" grep -q 'SecureCustomProperties.*STOREDIR' <(rows "$msi" Property)
  check "$arch: the store's component needs STOREDIR" grep -qx $'c_StoreDir\tSTOREDIR' <(rows "$msi" Component 1,5)
  check "$arch: the .chm and the manual are in the zip" test -s "$files/rvxadmin.chm" -a -s "$files/manual/index.html"
  check "$arch: the package holds every file of the zip" \
    diff <(cd "$files" && find . -type f -printf '%f\n' | LC_ALL=C sort) <(rows "$msi" File 3 | sed 's/.*|//' | LC_ALL=C sort)
done
check "no component code is in both packages" \
  test -z "$(comm -12 <(rows "$dist/rvxadmin-$version-x64.msi" Component 2) <(rows "$dist/rvxadmin-$version-x86.msi" Component 2))"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || exit 1
