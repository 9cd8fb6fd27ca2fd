#!/usr/bin/env bash
# Builds the shipped tool for 64-bit and 32-bit Windows (release, no tests)
# and writes to dist/:
#   rvxadmin-<version>-x64.msi   rvxadmin-<version>-x64.zip
#   rvxadmin-<version>-x86.msi   rvxadmin-<version>-x86.zip
# Each variant builds in its own tree (build-x64-rel, build-x86-rel), which
# later runs reuse. The version is the project's (CMakeLists.txt).
# Before anything is packed, tools/package/check-pe.sh checks the files:
# machine type, undecorated exports, imports.
# Usage: tools/package.sh [--arch x64|x86]... [--version V] [--dist DIR]
#   --version packs the files under another version number (to try an
#   upgrade); --arch limits the run to one variant.
set -euo pipefail
trap 'echo "package.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root=$PWD
archs=() version="" dist="$root/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) archs+=("$2"); shift 2 ;;
    --version) version="$2"; shift 2 ;;
    --dist) dist="$2"; shift 2 ;;
    *) echo "usage: tools/package.sh [--arch x64|x86]... [--version V] [--dist DIR]" >&2; exit 2 ;;
  esac
done
[ ${#archs[@]} -gt 0 ] || archs=(x64 x86)
tools/deps.sh
mkdir -p "$dist"

# step NAME COMMAND...: runs one step; a failure names the step.
step() {
  local name="$1"; shift
  "$@" || { echo "package.sh: $name failed" >&2; exit 1; }
}

# The files of the tool, as they sit in a build's bin directory. Required
# ones first; the others ship when the build made them.
required=(rvxadmin.exe KXIMPL32.dll PKRG.dll KXBKND32.dll rvxrsus.dll)
optional_globs=("rvxrs*.dll" rvxadmin.HLP rvxadmin.CNT rvxcfg.exe rvxlayout.exe)

# files_wxs DIR WIN64: the components of every file in DIR, and the
# Start-menu shortcut with the program's component. wixl takes sources only
# relative to the directory it runs in: DIR's parent.
files_wxs() {
  local dir="$1" win64="$2" f id src
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<!-- Written by tools/package.sh from the files of the build. -->'
  echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi"><Fragment>'
  echo '  <DirectoryRef Id="INSTALLDIR">'
  for f in $(cd "$dir" && ls | LC_ALL=C sort); do
    id=${f//[^A-Za-z0-9_.]/_} src="$(basename "$dir")/$f"
    echo "    <Component Id=\"c_$id\" Guid=\"*\" Win64=\"$win64\">"
    if [ "$f" = rvxadmin.exe ]; then
      echo "      <File Id=\"f_$id\" Name=\"$f\" Source=\"$src\" KeyPath=\"yes\">"
      echo '        <Shortcut Id="StartMenuShortcut" Directory="ProgramMenuFolder"'
      echo '                  Name="Network Installation Administrator" WorkingDirectory="INSTALLDIR"'
      echo '                  Description="Configurations, client assignments and conflict resolution"/>'
      echo '      </File>'
    else
      echo "      <File Id=\"f_$id\" Name=\"$f\" Source=\"$src\" KeyPath=\"yes\"/>"
    fi
    echo '    </Component>'
  done
  echo '  </DirectoryRef>'
  echo '  <ComponentGroup Id="ProgramFiles">'
  for f in $(cd "$dir" && ls | LC_ALL=C sort); do
    echo "    <ComponentRef Id=\"c_${f//[^A-Za-z0-9_.]/_}\"/>"
  done
  echo '  </ComponentGroup>'
  echo '</Fragment></Wix>'
}

for arch in "${archs[@]}"; do
  case "$arch" in
    x64) target=x86_64 pf=ProgramFiles64Folder win64=yes ;;
    x86) target=i686 pf=ProgramFilesFolder win64=no ;;
    *) echo "package.sh: unknown architecture $arch (x64 or x86)" >&2; exit 2 ;;
  esac
  build="$root/build-$arch-rel"
  mkdir -p "$build"
  echo "== $arch: configure (output in $build/configure.log)"
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTARGET_ARCH=$target \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; echo "package.sh: configure ($arch) failed" >&2; exit 1; }
  echo "== $arch: build"
  step "build ($arch)" cmake --build "$build"
  ver=${version:-$(cat "$build/version.txt")}
  name="rvxadmin-$ver-$arch"
  [[ "$ver" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] ||
    { echo "package.sh: version '$ver' is not major.minor.build" >&2; exit 1; }
  below="${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.$((BASH_REMATCH[3] + 1))"

  # The shipped files, stripped of their symbols, in a folder of their own.
  stage="$build/stage/$name"
  rm -rf "$stage"
  mkdir -p "$stage"
  for f in "${required[@]}"; do
    [ -f "$build/bin/$f" ] || { echo "package.sh: $build/bin/$f is missing" >&2; exit 1; }
  done
  for pattern in "${required[@]}" "${optional_globs[@]}"; do
    for f in "$build"/bin/$pattern; do
      [ -f "$f" ] && cp "$f" "$stage/"
    done
  done
  for f in "$stage"/*.exe "$stage"/*.dll; do
    step "strip $(basename "$f")" $target-w64-mingw32-strip --strip-all "$f"
  done
  echo "== $arch: check the files"
  step "check of the $arch files" tools/package/check-pe.sh "$stage" "$arch"

  echo "== $arch: $name.msi"
  files_wxs "$stage" "$win64" >"$build/stage/$name.wxs"
  (cd "$build/stage" &&
   wixl -a "$arch" -D Version="$ver" -D UpgradeBelow="$below" -D Arch="$arch" \
     -D ProgramFilesFolder="$pf" -D Win64=$win64 \
     -o "$dist/$name.msi" "$root/tools/package/rvxadmin.wxs" "$name.wxs") ||
    { echo "package.sh: wixl ($arch) failed" >&2; exit 1; }
  echo "== $arch: $name.zip"
  rm -f "$dist/$name.zip"
  (cd "$build/stage" && zip -q -X -r "$dist/$name.zip" "$name") ||
    { echo "package.sh: zip ($arch) failed" >&2; exit 1; }
done
ls -l "$dist"
