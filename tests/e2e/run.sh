#!/usr/bin/env bash
# Runs every end-to-end case (cases/*.sh) against the real Uninstall.exe under Wine and prints
# "N passed, M failed". A case is a function file: it defines case_NAME functions.
#
# The cases run in lanes (E2E_LANES, default 2), each with a display of its own (:97, :98, ...;
# E2E_DISPLAY_BASE moves the first, so that two suites can run side by side);
# every case has its own Wine prefix and Wine server, so nothing of one case reaches another.
# A lane takes the next case when it has finished one, and a case's lines are printed whole when
# it ends. A case that fails beside another is run once more alone at the end, and the summary
# names it.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

filter=${1:-}
lanes=${E2E_LANES:-2}
e2e_prepare_base || { echo "could not prepare the Wine prefix"; exit 1; }

for file in "$here"/cases/*.sh; do
    . "$file"
done
names=()
for fn in $(declare -F | awk '{print $3}' | grep '^case_' | sort); do
    name=${fn#case_}
    [ -n "$filter" ] && [[ $name != *$filter* ]] && continue
    names+=("$name")
done

queue=$(mktemp -d "${TMPDIR:-/tmp}/orvik-e2e-queue.XXXXXX")
echo 0 >"$queue/next"
: >"$queue/results"

# The index of the next case to run, or nothing when every case has been taken.
take_next() {
    (
        flock 9
        local next
        next=$(cat "$queue/next")
        [ "$next" -ge "${#names[@]}" ] && exit 1
        echo $((next + 1)) >"$queue/next"
        echo "$next"
    ) 9>"$queue/lock"
}

# Runs one case in a fresh prefix; its lines go to $2, its status is the return value.
run_case() {
    local name=$1 out=$2 fn=case_$1
    E2E_FAILURES=0
    E2E_STDERR=$out.stderr
    : >"$E2E_STDERR"
    e2e_new_prefix "$name"
    local start status
    start=$(date +%s%N)
    (
        "$fn"
        status=$?
        e2e_machine_check || status=1
        [ "$status" -eq 0 ] && [ "$E2E_FAILURES" -eq 0 ]
    ) 2>&1 | sed 's/^/    /' >"$out"
    status=${PIPESTATUS[0]}
    e2e_drop_prefix
    local ms=$(( ($(date +%s%N) - start) / 1000000 ))
    local secs="$((ms / 1000)).$(( (ms % 1000) / 100 ))"
    if [ "$status" -eq 0 ]; then
        echo "[  OK  ] $name (${secs}s)" >>"$out"
    else
        # A Windows program that crashed says so on its error output, as the debugger Wine
        # starts for it does.
        grep -E 'Unhandled|starting debugger|Backtrace|^=>|^  [0-9]+ 0x' "$E2E_STDERR" | head -n 40 |
            sed 's/^/    crash: /' >>"$out"
        echo "[ FAIL ] $name (${secs}s)" >>"$out"
    fi
    return "$status"
}

run_lane() {
    local lane=$1
    E2E_DISPLAY=:$((${E2E_DISPLAY_BASE:-97} + lane))
    E2E_XVFB_PID=
    e2e_start_display
    local index name out
    while index=$(take_next); do
        name=${names[$index]}
        out=$queue/case-$index.txt
        echo "[ RUN  ] $name" >"$out.head"
        if run_case "$name" "$out"; then
            echo "passed $name" >>"$queue/results"
        else
            echo "failed $name" >>"$queue/results"
        fi
        ( flock 9; cat "$out.head" "$out" ) 9>"$queue/print"
    done
    [ -n "$E2E_XVFB_PID" ] && kill "$E2E_XVFB_PID" 2>/dev/null
    return 0
}

lane_pids=()
for ((lane = 0; lane < lanes; lane++)); do
    run_lane "$lane" &
    lane_pids+=($!)
done
wait "${lane_pids[@]}"

passed=$(grep -c '^passed ' "$queue/results")
first_failed=$(grep '^failed ' "$queue/results" | cut -d' ' -f2)
ran=$((passed + $(grep -c '^failed ' "$queue/results")))
missing=$((${#names[@]} - ran))
[ "$missing" -gt 0 ] && echo "only $ran of ${#names[@]} cases ran to their end"

# A case that failed while another ran beside it runs once more alone: a machine made busy by
# the other lane can slow a window or a process past what a case waits for. Its first run's
# lines stay above; a case that fails alone too has failed.
failed_names=()
rerun_passed=()
if [ -n "$first_failed" ] && [ "$lanes" -gt 1 ]; then
    E2E_DISPLAY=:${E2E_DISPLAY_BASE:-97}
    E2E_XVFB_PID=
    e2e_start_display
    for name in $first_failed; do
        echo "[RERUN ] $name, alone"
        if run_case "$name" "$queue/rerun.txt"; then rerun_passed+=("$name"); else failed_names+=("$name"); fi
        cat "$queue/rerun.txt"
    done
    [ -n "$E2E_XVFB_PID" ] && kill "$E2E_XVFB_PID" 2>/dev/null
else
    failed_names=($first_failed)
fi
passed=$((passed + ${#rerun_passed[@]}))
failed=$((${#failed_names[@]} + missing))
[ "${#rerun_passed[@]}" -gt 0 ] && echo "passed only when run alone: ${rerun_passed[*]}"
[ "${#failed_names[@]}" -gt 0 ] && echo "failed: ${failed_names[*]}"
rm -rf "$queue"
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
