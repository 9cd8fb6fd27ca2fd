#!/usr/bin/env bash
# The filters of the configurations and client assignments pages at 65,535
# clients, on the real assignments page under Wine: prints the time of each
# keystroke, of showing another configuration while filtered, of a filtered
# move and of clearing the filter. Asserts nothing.
set -euo pipefail
trap 'echo "bench/filter.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
export BUILD_DIR="$PWD/build"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" --target filter_bench
. tools/wine-env.sh
wine_boot null
wine_server_start
trap wine_server_stop EXIT
(cd "$BUILD_DIR/testbin" && "$WINE" filter_bench.exe --gtest_color=no) | grep '^filter:'
