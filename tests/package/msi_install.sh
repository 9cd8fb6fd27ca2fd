#!/usr/bin/env bash
# The x64 package as an administrator uses it, under Wine in the test prefix:
#   - an older version installed, then this one over it: the older one is
#     replaced (one product left, this version, the files of the zip);
#     putting the older one back is refused;
#   - the installed rvxlayout lays out the demo installation, the installed
#     rvxadmin starts on it, shows its main dialog and closes;
#   - the x86 package of the same version replaces it, and it the x86 one;
#   - removed: nothing of it is left in Program Files, the Start menu or the
#     list of installed programs;
#   - STOREDIR, given to the older one, kept as the machine's VELKAN_INSTALL by each later package
#     (rvxadmin, started with only that, finds the store there) and gone when it is removed.
# Usage: tests/package/msi_install.sh BUILD_DIR DIST   (after tools/package.sh)
# Ends with "N passed, M failed"; exits non-zero on any failure.
set -euo pipefail
trap 'echo "msi_install.sh: failed at line $LINENO" >&2' ERR
BUILD_DIR="$(cd "$1" && pwd)"; dist="$(cd "$2" && pwd)"
src="$(cd "$(dirname "$0")/../.." && pwd)"
. "$src/tools/wine-env.sh"
# No menu entries of the Linux desktop for the shortcut the package makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
title="Network Installation Administrator"
version=$(cat "$src/build-x64-rel/version.txt")
msi="$dist/rvxadmin-$version-x64.msi" msi86="$dist/rvxadmin-$version-x86.msi"
for f in "$msi" "$msi86" "${msi%.msi}.zip" "${msi86%.msi}.zip"; do
  [ -f "$f" ] || { echo "msi_install.sh: $f not built: run tools/package.sh" >&2; exit 1; }
done

drive_c="$WINEPREFIX/drive_c"
folder="$drive_c/Program Files/Velkan" folder86="$drive_c/Program Files (x86)/Velkan"
app="$folder/Network Installation Administrator"
work=$(mktemp -d /tmp/msitest.XXXXXX)
tool=""
finish() {
  [ -n "$tool" ] && kill "$tool" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

passed=0 failed=0
check() {   # check WHAT COMMAND...: one checked behaviour
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
msiexec() { timeout 180 "$WINE" msiexec "$@" </dev/null; }
# copies: "<product code> <version>" of each copy of ours in the list of
# installed programs, the 64-bit and the 32-bit one.
copies() {
  local key
  for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
             'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'; do
    timeout 60 "$WINE" reg query "$key" /s </dev/null 2>/dev/null || true
  done | tr -d '\r' | awk -v name="$title" '
      /^HKEY/ { if (mine) print code, ver; mine = 0; ver = ""; code = $0; sub(/.*\\/, "", code) }
      $1 == "DisplayName" { sub(/^[ \t]*DisplayName[ \t]+REG_SZ[ \t]+/, ""); mine = ($0 == name) }
      $1 == "DisplayVersion" { ver = $3 }
      END { if (mine) print code, ver }'
}
installed() { copies | cut -d' ' -f2; }
# value KEY NAME: a registry value's data (64-bit view), empty when there is none.
value() { timeout 60 "$WINE" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
machine_store() { value 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' VELKAN_INSTALL; }
same_files() {   # same_files ARCH DIR: the files of ARCH's zip in DIR, byte for byte, and nothing else
  diff -r "$work/zip/rvxadmin-$version-$1" "$2"
}
# shortcuts: the tool's shortcuts in any Start menu. A per-machine package
# puts it in the common one on Windows; Wine's msi uses the user's.
shortcuts() {
  find "$drive_c/ProgramData/Microsoft/Windows/Start Menu" "$drive_c/users" -name "$title.lnk" 2>/dev/null
}

# A run that failed half-way may have left a copy installed, or files of one.
copies | while read -r code _; do msiexec /x "$code" /qn || true; done
rm -rf "$folder" "$folder86"
shortcuts | while read -r f; do rm -f "$f"; done
unzip -q "${msi%.msi}.zip" -d "$work/zip"
unzip -q "${msi86%.msi}.zip" -d "$work/zip"

inst="$work/inst"
echo "== an older version, then this one"
"$src/tools/package.sh" --arch x64 --version 1.0.0 --dist "$work" >"$work/old-package.log" 2>&1 ||
  { cat "$work/old-package.log"; echo "msi_install.sh: packing version 1.0.0 failed" >&2; exit 1; }
old="$work/rvxadmin-1.0.0-x64.msi"
check "the older version installs, given STOREDIR" msiexec /i "$(winpath "$old")" STOREDIR="$(winpath "$inst")" /qn
check "the older version is listed" test "$(installed)" = 1.0.0
check "this version installs over it" msiexec /i "$(winpath "$msi")" /qn
check "only this version is listed, VELKAN_INSTALL still STOREDIR" test "$(installed)|$(machine_store)" = "$version|$(winpath "$inst")"
check "Programs and Features has the help link, contact and install location" test "$(for v in HelpLink Contact InstallLocation; do
  value "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\\$(copies | cut -d' ' -f1)" $v; done | tr '\n' '|')" = \
  'C:\Program Files\Velkan\Network Installation Administrator\manual\index.html|Velkan|C:\Program Files\Velkan\Network Installation Administrator\|'
check "the files of the zip are installed, and nothing else" same_files x64 "$app"
check "one Start-menu shortcut, to the program" test "$(shortcuts | wc -l)" = 1
check "the shortcut names the program" grep -aq 'rvxadmin.exe' "$(shortcuts | head -1)"
check "the older version is refused over this one" bash -c "! timeout 180 '$WINE' msiexec /i '$(winpath "$old")' /qn </dev/null"
check "this version is still the one installed" test "$(installed)" = "$version"

echo "== the installed program on the demo installation, in STOREDIR"
check "the installed rvxlayout lays out the demo installation" \
  timeout 60 "$WINE" "$app/rvxlayout.exe" create "$(winpath "$inst")" "$(winpath "$src/tools/demo-install.txt")"
env -u VELKAN_INSTALL timeout 120 "$WINE" "$app/rvxadmin.exe" </dev/null &
tool=$!
check "the installed program shows its main dialog" timeout 40 "$WINE" "$BUILD_DIR/bin/uidrive.exe" wait "$title" 30000
timeout 30 "$WINE" "$BUILD_DIR/bin/uidrive.exe" close "$title" || true
check "the program closes" timeout 30 "$WINE" "$BUILD_DIR/bin/uidrive.exe" gone "$title" 20000
check "the program ends" wait "$tool"
tool=""

echo "== the other architecture"
check "the x86 package installs over it" msiexec /i "$(winpath "$msi86")" /qn
check "the x64 copy is gone" test ! -e "$folder"
check "the x86 copy is in Program Files (x86), as in its zip" same_files x86 "$folder86/Network Installation Administrator"
check "one copy is listed, the store's location kept" test "$(installed)|$(machine_store)" = "$version|$(winpath "$inst")"
check "the x64 package installs over it" msiexec /i "$(winpath "$msi")" /qn
check "the x86 copy is gone" test ! -e "$folder86"
check "one copy is listed, with one shortcut, the store's location kept" \
  test "$(installed)-$(shortcuts | wc -l)-$(machine_store)" = "$version-1-$(winpath "$inst")"

echo "== removed"
check "the package is removed" msiexec /x "$(winpath "$msi")" /qn
check "nothing is left in Program Files" test ! -e "$folder" -a ! -e "$folder86"
check "no Start-menu shortcut is left" test -z "$(shortcuts)"
check "nothing is left in the list of installed programs" test -z "$(installed)"
check "VELKAN_INSTALL and the kept location are gone" \
  test -z "$(machine_store)$(value 'HKLM\Software\Velkan\Network Installation Administrator' StoreDir)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || exit 1
