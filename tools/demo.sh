#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo installation and starts
# the tool on it under Wine.
#
#   tools/demo.sh [us|de|large|DESCRIPTION]
#
# In your X display when there is one: the tool on the demo installation,
# English (tools/demo-install.txt) unless told "de" (tools/demo-install-de.txt,
# whose installer language makes the program German), "large" (10,000
# clients, 76 configurations of 2,000, 305 products, four of the
# configurations with long names) or given another description file. Without
# a display: under Xvfb, in English and then in German, it takes screenshots
# of the three pages (one client selected on the assignments page, so that
# its line names the client's configurations) and of the help window
# (opened with F1 in English, with the Help button in German) into
# build/screenshots/, closes the tool as Cancel would, and ends; with
# "large", of the large installation's
# configurations page with the configuration box dropped down and of its
# assignments page instead.
set -euo pipefail
trap 'echo "demo.sh: line $LINENO failed" >&2' ERR
cd "$(dirname "$0")/.."
case "${1:-us}" in
  us) description=tools/demo-install.txt ;;
  de) description=tools/demo-install-de.txt ;;
  *)  description="$1" ;;
esac
[ "$description" = large ] || [ -f "$description" ] || { echo "demo.sh: no description file $description" >&2; exit 2; }
tools/deps.sh demo
export BUILD_DIR="$PWD/build"
mkdir -p "$BUILD_DIR"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >"$BUILD_DIR/configure.log" ||
  { cat "$BUILD_DIR/configure.log" >&2; exit 1; }
# Only what the demo runs: the tests are the other command's business.
cmake --build "$BUILD_DIR" --target rvxadmin rvxlayout uidrive rvxrsus rvxrsde KXIMPL32 PKRG KXBKND32 helpfile
. tools/wine-env.sh
bin="$BUILD_DIR/bin"
demo="$BUILD_DIR/demo-install"

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

# lay_out DESCRIPTION: a fresh demo installation each run, so the demo always
# starts the same.
lay_out() {
  rm -rf "$demo"
  "$WINE" "$bin/rvxlayout.exe" create "$(winpath "$demo")" "$(winpath "$PWD/$1")"
  export VELKAN_INSTALL="$(winpath "$demo")"
  echo "demo installation: $demo ($1)"
}

# lay_out_large LANGUAGE NAME: the large installation in that installer
# language, configurations 1 to 4 renamed NAME 1 to NAME 4 (code page 1252
# bytes, as the store keeps names).
lay_out_large() {
  rm -rf "$demo"
  "$WINE" "$bin/rvxlayout.exe" generate "$(winpath "$demo")" --clients 10000 --configs 76 --per-config 2000 --products 305
  "$WINE" "$bin/rvxlayout.exe" print "$(winpath "$demo")" | tr -d '\r' |
    LC_ALL=C sed -e "s/^language .*/language $1/" -e "s/^config Bench Config 000\([1-4]\) |/config $2 \1 |/" >"$BUILD_DIR/large.txt"
  lay_out "${BUILD_DIR#$PWD/}/large.txt"
}
long_us="Configuration for the field sales staff of the region"
long_de=$'Konfiguration f\xfcr die Au\xdfendienstmitarbeiter der Region'

if [ -z "$own_x" ]; then
  if [ "$description" = large ]; then
    lay_out_large us "$long_us"
    "$WINE" "$bin/rvxadmin.exe"
    exit 0
  fi
  lay_out "$description"
  echo "starting the tool on $DISPLAY"
  "$WINE" "$bin/rvxadmin.exe"
  exit 0
fi

drive() { timeout 60 "$WINE" "$bin/uidrive.exe" "$@"; }
mkdir -p "$BUILD_DIR/screenshots"
shot() {
  sleep 0.7
  import -window root "$BUILD_DIR/screenshots/$1.png"
  convert "$BUILD_DIR/screenshots/$1.png" -trim +repage "$BUILD_DIR/screenshots/$1.png"
  echo "screenshot: $BUILD_DIR/screenshots/$1.png"
}

# tour PREFIX DESCRIPTION TITLE HELPWAY: the three pages and the help window.
tour() {
  local prefix="$1" title="$3" helpway="$4"
  lay_out "$2"
  "$WINE" "$bin/rvxadmin.exe" &
  local tool=$!
  drive wait "$title" 30000
  shot "${prefix}configurations"
  drive view "$title" "#1"
  # One client selected: the line below the lists names its configurations.
  drive select "$title" 1020 TRAINING-01 2>/dev/null || drive select "$title" 1018 TRAINING-01
  shot "${prefix}assignments"
  drive view "$title" "#2"; shot "${prefix}conflicts"
  drive view "$title" "#0"
  # The real help engine on the help files beside the program: HTML Help
  # (Wine's hhctrl) on rvxadmin.chm, or WinHelp (winhlp32) on rvxadmin.HLP
  # where HTML Help cannot show it.
  if [ "$helpway" = key ]; then drive key "$title" 0 F1; else drive click "$title" 1007; fi
  local caption="" engine
  for engine in "HH Parent" MS_WINHELP; do
    caption=$(drive window "$engine" 15000 | tr -d '\r') && break
  done
  [ -n "$caption" ] || { echo "demo.sh: no help window opened" >&2; exit 1; }
  echo "help window ($engine): $caption"
  shot "${prefix}help"
  drive closewindow "$engine"
  drive close "$title"
  drive gone "$title" 10000 || { echo "demo.sh: the tool did not close" >&2; exit 1; }
  wait "$tool" || true
  echo "closed the tool (Cancel): nothing was written"
}

# large_tour PREFIX LANGUAGE TITLE NAME: a long-named configuration's whole
# name in the drop-down, and the assignments page, at 10,000 clients.
large_tour() {
  local prefix="$1" title="$3"
  lay_out_large "$2" "$4"
  "$WINE" "$bin/rvxadmin.exe" &
  local tool=$!
  drive wait "$title" 120000
  # The other 72 configurations sort first; the pointer would pick an item
  # of the drop-down it lies on.
  drive choose "$title" 1019 "#72"
  drive focus "$title" 1019
  "$WINE" "$bin/uidrive.exe" pointer 0 0
  drive key "$title" 0 115   # F4
  shot "${prefix}large-configurations"
  drive key "$title" 0 27
  drive view "$title" "#1"; shot "${prefix}large-assignments"
  drive close "$title"
  drive gone "$title" 20000 || { echo "demo.sh: the tool did not close" >&2; exit 1; }
  wait "$tool" || true
}

if [ "$description" = large ]; then
  large_tour "" us "Network Installation Administrator" "$long_us"
  large_tour "de-" de "Netzwerkinstallations-Administrator" "$long_de"
  exit 0
fi
tour "" tools/demo-install.txt "Network Installation Administrator" key
tour "de-" tools/demo-install-de.txt "Netzwerkinstallations-Administrator" button
