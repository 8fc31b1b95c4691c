# Shared by the benchmark drivers: one Wine prefix of their own, prepared like the end-to-end
# tests' (drive Z: removed, profile folders kept inside the prefix), and one Wine session kept
# running while the benchmark works, so that no measurement pays for starting Wine.
set -u
bench_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export E2E_ROOT=${BENCH_ROOT:-/tmp/orvik-bench}
export E2E_DISPLAY=${BENCH_DISPLAY:-:90}
export E2E_BUILD=${BENCH_BUILD:-$bench_here/../build/win64}
. "$bench_here/../tests/e2e/lib.sh"
# The shell's association notifications start Wine's desktop integration, which is not part of
# either uninstaller's work; it stays off for every contender.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

BENCH_KIT='C:\bench'

# The end-to-end tests image the whole machine once the product is laid down, waiting for the
# Wine session to end first; the benchmark keeps its session running and compares no images.
e2e_machine_laid_down() { :; }

# A fresh prefix with the programs under test in C:\e2e and the benchmark programs in C:\bench,
# and a Wine session that stays up until bench_end_session.
bench_start_session() {
    e2e_prepare_base || { echo "could not prepare the Wine prefix" >&2; return 1; }
    e2e_start_display
    e2e_new_prefix bench
    mkdir -p "$WINEPREFIX/drive_c/bench"
    cp "$E2E_BUILD"/bench/win/*.exe "$WINEPREFIX/drive_c/bench/"
    "$WINESERVER" -p
    "$WINE" wineboot >/dev/null 2>&1
}

bench_end_session() {
    e2e_drop_prefix
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
    return 0
}
