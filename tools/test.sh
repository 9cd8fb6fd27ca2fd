#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine without a
# display. Ends with ctest's summary line; exits non-zero on any failure.
set -euo pipefail
trap 'echo "test.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
tools/deps.sh
export BUILD_DIR="$PWD/build"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR"
. tools/wine-env.sh
wine_boot null
wine_server_start
trap wine_server_stop EXIT
rc=0
# The store's core natively under ASan/UBSan, and every input of the fuzz
# corpora replayed once through the three targets: no new random input
# decides whether the run passes (the fuzzing itself is tools/fuzz.sh).
(cmake -S tests/native -B build-native -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
   ninja -C build-native --quiet && build-native/store_native_tests) || { echo "test.sh: native tests failed" >&2; rc=1; }
tools/fuzz.sh --replay || { echo "test.sh: fuzz corpus replay failed" >&2; rc=1; }
# Both packages built, their files checked (the 32-bit one cannot run here)
# and their tables read back; the x64 MSI installed, run and removed in the
# test prefix.
tools/package.sh || rc=1
tests/package/check_pe_faults.sh || rc=1
tests/package/msi_tables.sh dist || rc=1
tests/package/msi_install.sh "$BUILD_DIR" dist || rc=1
# The package steps installed, ran and removed programs in the same Wine
# session: settle it again before the test programs start.
wine_server_start || true
(cd "$BUILD_DIR" && ctest --output-on-failure -j2) || rc=$?
exit $rc
