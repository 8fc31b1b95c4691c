#!/usr/bin/env bash
# Every test: unit tests (native, against the simulated Windows), the same under AddressSanitizer
# and UBSan, the shipped executables' size and imports, and the end-to-end suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
echo "== module includes"
bash scripts/check_includes.sh
bash scripts/build.sh native native-asan win64 win32

echo "== unit tests"
ctest --preset native -j2
echo "== unit tests under AddressSanitizer and UBSan"
ASAN_OPTIONS=detect_leaks=1 ./build/native-asan/tests/unit/unit_tests --gtest_brief=1
echo "== shipped executables"
for build in win64 win32; do
    bash scripts/check_executable.sh build/$build/Uninstall.exe
    # The check itself: a program importing the spooler at load time is refused.
    if out=$(bash scripts/check_executable.sh build/$build/tools/import_probe.exe); then
        echo "$out"; echo "the executable check accepted a load-time import of WINSPOOL.DRV"; exit 1
    fi
    grep -q 'WINSPOOL.DRV' <<<"$out" || { echo "$out"; echo "the executable check refused for another reason"; exit 1; }
done
echo "== end-to-end under Wine"
bash tests/e2e/run.sh
