#!/usr/bin/env bash
# Every test: unit tests (native, against the simulated Windows) with the fault sweep, the same
# under AddressSanitizer and UBSan, the XML reader fuzzed for a minute, the shipped executables'
# size and imports, and the end-to-end suite under Wine with the whole machine compared before
# and after each case.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
echo "== module includes"
bash scripts/check_includes.sh
bash scripts/build.sh native native-asan native-fuzz win64 win32

echo "== unit tests"
ctest --preset native -j2
# The plain run above covered every position of the fault sweeps; under the sanitizers each sweep
# covers a third of them, a sample that changes with the day (its seed is printed with each
# sweep's line, FAULT_SWEEP_SEED=N repeats it).
echo "== unit tests under AddressSanitizer and UBSan (the fault sweeps sampled)"
sweep_seed=${FAULT_SWEEP_SEED:-$((10#$(date +%j)))}
FAULT_SWEEP_SAMPLE=${FAULT_SWEEP_SAMPLE:-900} FAULT_SWEEP_SEED=$sweep_seed ASAN_OPTIONS=detect_leaks=1 \
    ctest --test-dir build/native-asan -j2 --output-on-failure
echo "fault sweeps under the sanitizers: sample seed $sweep_seed"
echo "== XML reader fuzzed for a minute"
corpus=build/native-fuzz/corpus
mkdir -p "$corpus"
if ! ./build/native-fuzz/fuzz/xml_fuzzer -max_total_time=60 -timeout=10 -print_final_stats=1 "$corpus" fuzz/corpus \
        >build/native-fuzz/fuzz.log 2>&1; then
    tail -n 60 build/native-fuzz/fuzz.log
    exit 1
fi
grep -E '^(Done|stat::number_of_executed_units)' build/native-fuzz/fuzz.log
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
