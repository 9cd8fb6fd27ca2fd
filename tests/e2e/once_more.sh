#!/usr/bin/env bash
# Runs an end-to-end script; when it fails within its first second, before
# any program of ours can have done anything (a Wine process start refused
# at once under load has been seen to end a script silently), says so with
# what it printed and runs it once more. A failure after that is the result.
# Usage: once_more.sh SCRIPT ARGS...
set -uo pipefail
start=$(date +%s%N)
bash "$@"
rc=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
if [ "$rc" -ne 0 ] && [ "$elapsed" -lt 1000 ]; then
  echo "once_more.sh: $(basename "$1") failed after $elapsed ms (status $rc), before it could start the program; once more"
  bash "$@"
  rc=$?
fi
exit $rc
