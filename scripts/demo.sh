#!/usr/bin/env bash
# The main job: build Uninstall.exe, lay down the sample product in a fresh Wine prefix, run the
# silent uninstall through the installer's pipe (or, with --interactive, the wizard under Xvfb),
# and show what happened.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-silent}

bash scripts/setup.sh
bash scripts/build.sh win64

if [ "$mode" = "--interactive" ]; then
    exec bash tests/e2e/interactive_demo.sh
fi

export E2E_ROOT=${E2E_ROOT:-/tmp/orvik-demo}
. tests/e2e/lib.sh
echo "== preparing a fresh Wine prefix"
e2e_prepare_base
e2e_start_display
e2e_new_prefix demo
echo "   prefix: $WINEPREFIX"

echo "== laying down the sample product"
footprint_install
report=$(footprint report)
# The product items this machine received; what the uninstall removed is counted among these, so
# that items this system cannot hold (say, a merged classes view Wine lacks) count neither time.
installed=$(sed -n 's/^product present //p' <<<"$report" | sort)
installed_count=$(grep -c . <<<"$installed")
echo "   $installed_count product items installed (files, shortcuts, directories, registry keys and values, printer objects),"
echo "   $(grep -c '^foreign present' <<<"$report") foreign items beside them that must survive (full list: footprint report)"

echo "== silent uninstall through the installer's pipe: codes received"
start=$(date +%s%N)
win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 120 | sed 's/^/     /'
win_wait
echo "   (took $(( ($(date +%s%N) - start) / 1000000 )) ms, every process of the prefix ended)"

echo "== what remains"
report=$(footprint report)
gone=$(comm -12 <(echo "$installed") <(sed -n 's/^product gone //p' <<<"$report" | sort) | grep -c . || true)
echo "   product items gone:      $gone of $installed_count"
echo "   product items remaining: $((installed_count - gone))"
echo "   foreign items intact:    $(grep -c '^foreign present' <<<"$report")"
echo "   foreign items missing:   $(grep -c '^foreign gone' <<<"$report")"
if footprint check >/dev/null; then
    echo "== result: the product is removed and nothing else was touched"
else
    echo "== result: these items are not as they should be:"
    footprint check | sed 's/^/     /'
fi
[ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
exit 0
