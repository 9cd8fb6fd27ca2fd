#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo installation and starts
# the tool on it under Wine: in your X display when there is one; otherwise
# under Xvfb, where it takes screenshots of the three pages, closes the tool
# as Cancel would, and ends.
set -euo pipefail
trap 'echo "demo.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
tools/deps.sh demo
export BUILD_DIR="$PWD/build"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only what the demo runs: the tests are the other command's business.
cmake --build "$BUILD_DIR" --target rvxadmin rvxlayout uidrive rvxrsus KXIMPL32 PKRG KXBKND32
. tools/wine-env.sh
bin="$BUILD_DIR/bin"
demo="$BUILD_DIR/demo-install"
title="Network Installation Administrator"

own_x=""
if [ -z "${DISPLAY:-}" ]; then
  # No display: a private X server for the run.
  for n in 99 98 97 96; do [ -e /tmp/.X11-unix/X$n ] || { disp=:$n; break; }; done
  Xvfb "$disp" -screen 0 1024x768x24 -nolisten tcp >"$BUILD_DIR/xvfb.log" 2>&1 &
  own_x=$!
  export DISPLAY=$disp
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
cleanup() {
  wine_server_stop
  [ -n "$own_x" ] && kill "$own_x" 2>/dev/null || true
}
trap cleanup EXIT

wine_boot x11
if [ -n "$own_x" ]; then
  # Xvfb has no window manager: let Wine draw the captions itself.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
fi
wine_server_start
# A fresh demo installation each run, so the demo always starts the same.
rm -rf "$demo"
"$WINE" "$bin/rvxlayout.exe" create "$(winpath "$demo")" "$(winpath "$PWD/tools/demo-install.txt")"
export VELKAN_INSTALL="$(winpath "$demo")"
echo "demo installation: $demo"

if [ -z "$own_x" ]; then
  echo "starting the tool on $DISPLAY"
  "$WINE" "$bin/rvxadmin.exe"
  exit 0
fi

"$WINE" "$bin/rvxadmin.exe" &
tool=$!
"$WINE" "$bin/uidrive.exe" wait "$title" 30000
mkdir -p "$BUILD_DIR/screenshots"
shot() {
  sleep 0.5
  import -window root "$BUILD_DIR/screenshots/$1.png"
  convert "$BUILD_DIR/screenshots/$1.png" -trim +repage "$BUILD_DIR/screenshots/$1.png"
  echo "screenshot: $BUILD_DIR/screenshots/$1.png"
}
shot configurations
"$WINE" "$bin/uidrive.exe" view "$title" "Client assignments"; shot assignments
"$WINE" "$bin/uidrive.exe" view "$title" "Conflict resolution"; shot conflicts
"$WINE" "$bin/uidrive.exe" close "$title"
"$WINE" "$bin/uidrive.exe" gone "$title" 10000 || { echo "the tool did not close" >&2; exit 1; }
wait "$tool" || true
echo "closed the tool (Cancel): nothing was written"
