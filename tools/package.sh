#!/usr/bin/env bash
# Builds the shipped tool for 64-bit and 32-bit Windows (release, no tests)
# and writes to dist/:
#   rvxadmin-<version>-x64.msi   rvxadmin-<version>-x64.zip
#   rvxadmin-<version>-x86.msi   rvxadmin-<version>-x86.zip
# Each variant builds in its own tree (build-x64-rel, build-x86-rel), which
# later runs reuse. The version is the project's (CMakeLists.txt).
# Before anything is packed, tools/package/check-pe.sh checks the files:
# machine type, undecorated exports, imports, the programs' manifests. wixl
# writes the MSI, tools/package/finish-msi.sh adds what wixl cannot write.
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
optional_globs=("rvxrs*.dll" rvxadmin.HLP rvxadmin.cnt rvxadmin.chm rvxcfg.exe rvxlayout.exe)

# components DIR WIN64 PREFIX: a component for every file in DIR (a folder
# below it is a Directory of its own, its components' ids prefixed with its
# name), with the Start-menu shortcut on the program's. The shortcut is
# advertised: started from the Start menu, Windows Installer first checks
# the installed files and repairs a missing one from the package. wixl takes
# sources only relative to the directory it runs in: the stage's parent.
components() {
  local dir="$1" win64="$2" prefix="$3" f id src
  for f in $(cd "$dir" && ls | LC_ALL=C sort); do
    id=$prefix${f//[^A-Za-z0-9_.]/_} src="${dir#"$stage_root/"}/$f"
    if [ -d "$dir/$f" ]; then
      echo "<Directory Id=\"d_$id\" Name=\"$f\">"
      components "$dir/$f" "$win64" "${id}_"
      echo '</Directory>'
      continue
    fi
    echo "<Component Id=\"c_$id\" Guid=\"*\" Win64=\"$win64\">"
    if [ "$id" = rvxadmin.exe ]; then
      echo "  <File Id=\"f_$id\" Name=\"$f\" Source=\"$src\" KeyPath=\"yes\">"
      echo '    <Shortcut Id="StartMenuShortcut" Directory="ProgramMenuFolder" Advertise="yes"'
      echo '              Name="Network Installation Administrator" WorkingDirectory="INSTALLDIR"'
      echo '              Icon="rvxadmin.ico" IconIndex="0"'
      echo '              Description="Configurations, client assignments and conflict resolution"/>'
      echo '  </File>'
    else
      echo "  <File Id=\"f_$id\" Name=\"$f\" Source=\"$src\" KeyPath=\"yes\"/>"
    fi
    echo '</Component>'
  done
}

# files_wxs DIR WIN64: the components of every file in DIR, and the component
# group ProgramFiles that lists them.
files_wxs() {
  local list
  list=$(components "$1" "$2" "")
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<!-- Written by tools/package.sh from the files of the build. -->'
  echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi"><Fragment>'
  echo '<DirectoryRef Id="INSTALLDIR">'
  echo "$list"
  echo '</DirectoryRef>'
  echo '<ComponentGroup Id="ProgramFiles">'
  sed -n 's/^<Component Id="\([^"]*\)".*/<ComponentRef Id="\1"\/>/p' <<<"$list"
  echo '</ComponentGroup>'
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
  # The HTML manual, which Programs and Features links as the help.
  cp -r docs/manual "$stage/manual"
  echo "== $arch: check the files"
  step "check of the $arch files" tools/package/check-pe.sh "$stage" "$arch"

  echo "== $arch: $name.msi"
  stage_root="$build/stage"
  files_wxs "$stage" "$win64" >"$build/stage/$name.wxs"
  cp resources/app.ico "$build/stage/rvxadmin.ico"
  (cd "$build/stage" &&
   wixl -a "$arch" -D Version="$ver" -D UpgradeBelow="$below" -D Arch="$arch" \
     -D ProgramFilesFolder="$pf" -D Win64=$win64 \
     -o "$dist/$name.msi" "$root/tools/package/rvxadmin.wxs" "$name.wxs") ||
    { echo "package.sh: wixl ($arch) failed" >&2; exit 1; }
  step "finishing $name.msi" tools/package/finish-msi.sh "$dist/$name.msi" "$stage"
  echo "== $arch: $name.zip"
  rm -f "$dist/$name.zip"
  (cd "$build/stage" && zip -q -X -r "$dist/$name.zip" "$name") ||
    { echo "package.sh: zip ($arch) failed" >&2; exit 1; }
done
ls -l "$dist"
