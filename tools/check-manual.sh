#!/usr/bin/env bash
# Checks that docs/manual holds the HTML that the help source gives now.
# Usage: tools/check-manual.sh HALIBUT SOURCE MANUAL_DIR
set -euo pipefail
trap 'echo "line $LINENO" >&2' ERR
halibut="$1"; source="$2"; manual="$3"
work=$(mktemp -d /tmp/manual.XXXXXX)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$halibut" --html "$source")
if diff -r "$manual" "$work"; then
  echo "1 passed, 0 failed"
else
  echo "docs/manual is older than $source: run cmake --build build --target manual"
  echo "0 passed, 1 failed"
  exit 1
fi
