# Sourced by the scripts that run Windows programs of this project under Wine.
# Sets up one private prefix per build tree, with the null graphics driver
# (real windows without a display) and no crash dialog.
: "${BUILD_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)

# wine_boot [null|x11]: create the prefix once; select the graphics driver.
wine_boot() {
  local driver="${1:-null}"
  mkdir -p "$BUILD_DIR"
  if [ ! -f "$WINEPREFIX/.booted" ]; then
    # Wine's background services inherit the booting program's output and
    # keep it open: send it to a log, never to a pipe someone waits on.
    "$WINE" wineboot -i >"$BUILD_DIR/wineboot.log" 2>&1 </dev/null
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >>"$BUILD_DIR/wineboot.log" 2>&1 </dev/null
    touch "$WINEPREFIX/.booted"
  fi
  if [ "$driver" = null ]; then
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$BUILD_DIR/wineboot.log" 2>&1 </dev/null
  else
    "$WINE" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >>"$BUILD_DIR/wineboot.log" 2>&1 </dev/null || true
  fi
  # The desktop process keeps the driver it started with: end the session so
  # that the next program starts one with the driver chosen here.
  wine_server_stop
}

# A persistent wineserver makes each program start cost milliseconds.
# The first program of a session starts Wine's background services, which
# inherit its output: start them here, with the output sent to a log, so
# that no later program leaves a pipe open behind it.
wine_server_start() {
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true   # already running: fine
  "$WINE" cmd /c echo >>"$BUILD_DIR/wineservices.log" 2>&1 </dev/null
  if [ -x "$BUILD_DIR/bin/uidrive.exe" ]; then
    timeout 60 "$WINE" "$BUILD_DIR/bin/uidrive.exe" warmup >>"$BUILD_DIR/wineservices.log" 2>&1 </dev/null || true
  fi
}
wine_server_stop()  { "$WINESERVER" -k >/dev/null 2>&1 </dev/null || true; "$WINESERVER" -w >/dev/null 2>&1 </dev/null || true; }

# winpath PATH: the Windows name of an absolute Linux path (drive Z: is /).
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }
