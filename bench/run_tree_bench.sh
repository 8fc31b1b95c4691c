#!/usr/bin/env bash
# Registry and directory tree removal, side by side under Wine: the program's functions, the
# bare Win32 call sequence their walks make, and RegDeleteTreeW / SHFileOperationW.
#
#   bench/run_tree_bench.sh [registry|files|all] [--rounds N]
# Needs the win64 build (cmake --preset win64 && cmake --build build/win64).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_session.sh"

[ -f "$E2E_BUILD/bench/win/tree_bench.exe" ] || { echo "build the win64 preset first" >&2; exit 2; }
bench_start_session || exit 2
trap bench_end_session EXIT
win "$BENCH_KIT\\tree_bench.exe" "$@"
