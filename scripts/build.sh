#!/usr/bin/env bash
# Configures and builds the given presets (default: native and win64).
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(native win64)
for p in "${presets[@]}"; do
    cmake --preset "$p" >/dev/null
    cmake --build --preset "$p" -j"$(nproc)"
done
