#!/usr/bin/env bash
# Adds to a package that wixl wrote what wixl cannot write (msitools'
# msibuild edits its tables in place):
#   - the custom actions that set a property run at once (type 51): wixl
#     makes each of them deferred, where it would set no property at all;
#   - the store's component (c_StoreDir) is installed only when STOREDIR is
#     set, and STOREDIR is a secure property, so that the installs Group
#     Policy runs with elevated rights pass it on;
#   - every program and DLL has the version and language of its own
#     VERSIONINFO in the File table and no hash row, so that the rules for
#     versioned files decide repairs and upgrades.
# Usage: tools/package/finish-msi.sh MSI DIR   (DIR: the files packed)
set -euo pipefail
trap 'echo "finish-msi.sh: failed at line $LINENO" >&2' ERR
msi="$1" dir="$2"
here="$(cd "$(dirname "$0")" && pwd)"

# table NAME: the rows of a table, tab-separated, without the three header lines.
table() { msiinfo export "$msi" "$1" | tail -n +4; }

queries=(
  "UPDATE CustomAction SET Type=51 WHERE Type=2099"
  "UPDATE Component SET Condition='STOREDIR' WHERE Component='c_StoreDir'"
)
secure=$(table Property | awk -F'\t' '$1 == "SecureCustomProperties" { print $2 }')
if [ -n "$secure" ]; then
  queries+=("UPDATE Property SET Value='$secure;STOREDIR' WHERE Property='SecureCustomProperties'")
else
  queries+=("INSERT INTO Property (Property, Value) VALUES ('SecureCustomProperties', 'STOREDIR')")
fi
# The programs and DLLs stand in DIR itself (the manual's pages, in a folder
# below it, carry no version). A long name follows the short one and "|".
while IFS=$'\t' read -r id _ name _; do
  file="$dir/${name#*|}"
  [ -f "$file" ] || continue
  read -r version language < <("$here/versioninfo.sh" "$file"; echo) || true
  [ -n "$version" ] || continue
  queries+=("UPDATE File SET Version='$version', Language='$language' WHERE File='$id'"
            "DELETE FROM MsiFileHash WHERE File_='$id'")
done < <(table File)

args=()
for q in "${queries[@]}"; do args+=(-q "$q"); done
msibuild "$msi" "${args[@]}"
