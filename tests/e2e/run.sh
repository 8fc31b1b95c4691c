#!/usr/bin/env bash
# Runs every end-to-end case (cases/*.sh) against the real Uninstall.exe under Wine and prints
# "N passed, M failed". A case is a function file: it defines case_NAME functions.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

filter=${1:-}
e2e_prepare_base || { echo "could not prepare the Wine prefix"; exit 1; }
e2e_start_display

passed=0
failed=0
failed_names=()
for file in "$here"/cases/*.sh; do
    . "$file"
done
for fn in $(declare -F | awk '{print $3}' | grep '^case_' | sort); do
    name=${fn#case_}
    [ -n "$filter" ] && [[ $name != *$filter* ]] && continue
    echo "[ RUN  ] $name"
    E2E_FAILURES=0
    e2e_new_prefix "$name"
    start=$(date +%s%N)
    (
        "$fn"
        status=$?
        e2e_machine_check || status=1
        [ "$status" -eq 0 ] && [ "$E2E_FAILURES" -eq 0 ]
    ) 2>&1 | sed 's/^/    /'
    status=${PIPESTATUS[0]}
    e2e_drop_prefix
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    secs="$((ms / 1000)).$(( (ms % 1000) / 100 ))"
    if [ "$status" -eq 0 ]; then
        echo "[  OK  ] $name (${secs}s)"
        passed=$((passed + 1))
    else
        echo "[ FAIL ] $name (${secs}s)"
        failed=$((failed + 1))
        failed_names+=("$name")
    fi
done
[ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
[ "$failed" -gt 0 ] && echo "failed: ${failed_names[*]}"
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
