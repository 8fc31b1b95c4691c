#!/usr/bin/env bash
# Configures and builds the given presets (default: native and win64). Every preset builds with
# -Wall -Wextra; a compiler warning fails the build. "PRESET:TARGET" builds one target only.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(native win64)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for p in "${presets[@]}"; do
    preset=${p%%:*}
    target=()
    [ "$preset" != "$p" ] && target=(--target "${p#*:}")
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)" "${target[@]}" 2>&1 | tee "$log"
    # The LTO driver's note on how it schedules its jobs says nothing about the code.
    if grep 'warning:' "$log" | grep -qv 'lto-wrapper: warning: using serial compilation'; then
        echo "build $p: compiler warnings" >&2
        exit 1
    fi
done
