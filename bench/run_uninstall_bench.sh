#!/usr/bin/env bash
# The whole silent uninstall, side by side with an uninstaller built with NSIS that removes the
# same footprint (bench/nsis/orvik_uninstall.nsi), inside one running Wine session. Each run is
# timed by process_timer.exe from the start of the first process to (a) the moment the
# uninstaller's end of the installer's pipe closes, which is what an installer waits for, and
# (b) the end of the last process it led to (the relaunched copy, the deletion command, the
# plug-in uninstaller). NSIS has no pipe: its work is done when its last process ends, so both
# of its figures are that time. Ours is reported less its fixed 500 ms wait before the end of
# the sequence. The two sides alternate which goes first; after every run the footprint must be
# gone. With --list every run also names each process with its start and end.
#
#   bench/run_uninstall_bench.sh [--rounds N] [--warmup N] [--list]
# Needs the win64 build (cmake --preset win64 && cmake --build build/win64) and makensis.
# BENCH_SUBJECTS names the footprint's subjects laid down for both sides (default: records files
# registry; the printer is left out, NSIS cannot remove it without plug-ins).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_session.sh"

rounds=7
warmup=1
list=()
while [ $# -gt 0 ]; do
    case $1 in
        --rounds) rounds=$2; shift 2 ;;
        --warmup) warmup=$2; shift 2 ;;
        --list) list=(--list); shift ;;
        *) echo "usage: $0 [--rounds N] [--warmup N] [--list]" >&2; exit 2 ;;
    esac
done
FIXED_WAIT_MS=500
EXPECTED_REPORTS=1,2,4,6,7,8,9,10
read -r -a subjects <<<"${BENCH_SUBJECTS:-records files registry}"
only=()
for s in "${subjects[@]}"; do only+=(--only "$s"); done

command -v makensis >/dev/null || { echo "makensis is not installed" >&2; exit 2; }
[ -f "$E2E_BUILD/bench/win/process_timer.exe" ] || { echo "build the win64 preset first" >&2; exit 2; }
bench_start_session || exit 2
trap bench_end_session EXIT

# The NSIS uninstaller is written by a one-off installer run inside the prefix.
makensis -V2 -INPUTCHARSET UTF8 -DOUTFILE="$WINEPREFIX/drive_c/bench/nsis_writer.exe" \
    "$here/nsis/orvik_uninstall.nsi" || exit 2
win "$BENCH_KIT\\nsis_writer.exe" /S
win_wait_for() { for _ in $(seq 100); do [ -e "$(unix_path "$1")" ] && return 0; sleep 0.1; done; return 1; }
win_wait_for "$BENCH_KIT\\nsis_uninstall.exe" || { echo "NSIS did not write its uninstaller" >&2; exit 2; }

UNINSTALLER="$PRODUCT_DIR\\Uninstall.exe"
temp_dirs() { ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp "$WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null; }

# Lays the footprint down with side $1's uninstaller, times the uninstall and checks the result.
# Prints "MILLISECONDS PIPE_MILLISECONDS PROCESSES PROBLEMS", PROBLEMS being "-" when there were
# none; the pipe's time is the whole time for NSIS.
run_side() {
    local side=$1 line problems=""
    if [ "$side" = ours ]; then
        footprint_install "${only[@]}" >/dev/null
        # The per-process list comes on standard error, which win() drops.
        line=$(cd "$WINEPREFIX/drive_c" && "$WINE" "$BENCH_KIT\\process_timer.exe" "${list[@]}" \
            --pipe '\\.\pipe\Orvik Pendrel' -- "$UNINSTALLER" -UninstForInst 2> >(tr -d '\r' >&2) | tr -d '\r')
        [[ $line == *"reports=$EXPECTED_REPORTS" ]] || problems+="reports:${line##*reports=};"
    else
        footprint install --uninstaller "$BENCH_KIT\\nsis_uninstall.exe" "${only[@]}" >/dev/null
        line=$(cd "$WINEPREFIX/drive_c" && "$WINE" "$BENCH_KIT\\process_timer.exe" "${list[@]}" -- "$UNINSTALLER" /S \
            2> >(tr -d '\r' >&2) | tr -d '\r')
    fi
    local ms=${line#*elapsed_ms=} pipe=${line#*pipe_closed_ms=} processes=${line#*processes=}
    ms=${ms%% *}
    pipe=${pipe%% *}
    processes=${processes%% *}
    [ "$side" = ours ] || pipe=$ms
    [ -n "$ms" ] && [ "$ms" != "$line" ] || { ms=0 pipe=0 processes=0; problems+="timer:${line:-no-result};"; }
    local left
    left=$(footprint check "${only[@]}" | sed 's/^product present //; s/^foreign gone /removed foreign /' | paste -sd, -)
    [ -z "$left" ] || problems+="left:$left;"
    # What either uninstaller leaves in the temporary directory (ours: its relaunched copy, if
    # the deletion command failed; NSIS: its copy, which it leaves for the next restart).
    local dir
    for dir in $(temp_dirs); do
        if [ "$side" = ours ] && ls "$dir"/orv*.exe >/dev/null 2>&1; then problems+="temp-copy-left;"; fi
        rm -rf "$dir"/orv*.exe "$dir"/~nsu*.tmp
    done
    echo "$ms $pipe $processes ${problems:--}"
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "uninstall: footprint of ${subjects[*]}; $rounds rounds after $warmup warm-up, order alternated"
less_wait() { awk -v t="$1" -v w="$FIXED_WAIT_MS" 'BEGIN { printf "%.1f", t - w }'; }
ours_times=()
ours_pipe_times=()
nsis_times=()
# The two sides of one round ran one right after the other, while the machine's load drifts over
# a run: the median of the per-round ratios is the steadier figure.
pipe_ratios=()
all_ratios=()
failures=0
for ((round = 1 - warmup; round <= rounds; round++)); do
    if ((round % 2)); then order=(ours nsis); else order=(nsis ours); fi
    report="round $round:"
    ((round <= 0)) && report="warm-up:"
    for side in "${order[@]}"; do
        read -r ms pipe processes problems < <(run_side "$side")
        if [ "$side" = ours ]; then
            net=$(less_wait "$ms")
            net_pipe=$(less_wait "$pipe")
            report+=" ours pipe $pipe ms, all $ms ms (less the wait $net_pipe, $net; $processes processes)"
            ((round > 0)) && ours_times+=("$net") && ours_pipe_times+=("$net_pipe")
        else
            report+=" nsis $ms ms ($processes processes)"
            ((round > 0)) && nsis_times+=("$ms")
        fi
        if [ "$problems" != - ]; then
            report+=" [$side: $problems]"
            ((round > 0)) && failures=$((failures + 1))
        fi
        report+=";"
    done
    if ((round > 0)); then
        pipe_ratios+=("$(awk -v a="${ours_pipe_times[-1]}" -v n="${nsis_times[-1]}" 'BEGIN { print (n > 0 ? a / n : 0) }')")
        all_ratios+=("$(awk -v a="${ours_times[-1]}" -v n="${nsis_times[-1]}" 'BEGIN { print (n > 0 ? a / n : 0) }')")
    fi
    echo "  $report"
done

ours_median=$(printf '%s\n' "${ours_times[@]}" | median)
ours_pipe_median=$(printf '%s\n' "${ours_pipe_times[@]}" | median)
nsis_median=$(printf '%s\n' "${nsis_times[@]}" | median)
echo "  Uninstall.exe, less its ${FIXED_WAIT_MS} ms wait: (a) until the pipe closes, median $ours_pipe_median ms;" \
    "(b) until the last process ends, median $ours_median ms"
echo "  NSIS uninstaller, until its last process ends:     median $nsis_median ms"
awk -v a="$ours_pipe_median" -v b="$ours_median" -v n="$nsis_median" \
    'BEGIN { if (n > 0) printf "  ratio Uninstall.exe / NSIS, of the medians: (a) %.3f, (b) %.3f\n", a / n, b / n }'
printf '  ratio Uninstall.exe / NSIS, median of the rounds: (a) %.3f, (b) %.3f\n' \
    "$(printf '%s\n' "${pipe_ratios[@]}" | median)" "$(printf '%s\n' "${all_ratios[@]}" | median)"
echo "  runs that left something behind or misreported: $failures"
[ "$failures" -eq 0 ]
