# Sourced first by every end-to-end script: strict mode that names the
# failing line, the build and source folders from the arguments, Wine, and
# a work folder removed at the end together with the programs the script
# started (their process ids in pids).
set -eEuo pipefail
trap 'echo "$(basename "$0"): line $LINENO failed (status $?)" >&2' ERR
BUILD_DIR="$1"; SRC="$2"
. "$SRC/tools/wine-env.sh"
bin="$BUILD_DIR/bin"
work=$(mktemp -d /tmp/e2e.XXXXXX)
pids=()
finish() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap finish EXIT
# soon EXPECTED COMMAND...: the command's output once it is EXPECTED, or its
# last output after ten seconds. Keys are posted, as the keyboard posts them:
# what they do happens some time after "uidrive key" returns.
soon() {
  local want="$1" got; shift
  for _ in $(seq 50); do
    got=$("$@" | tr -d '\r') || true
    [ "$got" = "$want" ] && break
    sleep 0.2
  done
  printf '%s\n' "$got"
}
