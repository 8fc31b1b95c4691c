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
bash scripts/check_executable.sh build/win64/Uninstall.exe
bash scripts/check_executable.sh build/win32/Uninstall.exe
echo "== end-to-end under Wine"
bash tests/e2e/run.sh
