#!/usr/bin/env bash
# Interactive uninstall of a freshly laid down product under Wine and Xvfb, answered like a
# person would: Yes to the confirmation, then every box the removal shows is closed. Saves the
# wizard's screenshot and the completion box's, and prints what remains of the product.
#
#   E2E_ROOT=/tmp/orvik-demo E2E_DISPLAY=:95 bash tests/e2e/interactive_demo.sh
#
# Screenshots go to build/e2e-artifacts/ (E2E_ARTIFACTS): demo-wizard.png, demo-completion.png.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

TITLE="Orvik Pendrel Uninstall Wizard"
titled_windows() { xdotool search --onlyvisible --name "^${TITLE}\$" 2>/dev/null; }
window_width() { xdotool getwindowgeometry --shell "$1" 2>/dev/null | awk -F= '/^WIDTH=/{print $2}'; }
screenshot() { import -window root "$E2E_ARTIFACTS/$1.png" 2>/dev/null && echo "screenshot: $E2E_ARTIFACTS/$1.png"; }

e2e_prepare_base || { echo "could not prepare the Wine prefix"; exit 1; }
e2e_start_display
e2e_new_prefix interactive-demo
footprint_install >/dev/null
echo "product laid down in $PRODUCT_DIR"

win "$PRODUCT_DIR\\Uninstall.exe" &
uninstaller=$!
dismiss_window "$TITLE" Return 60 demo-confirmation || { echo "no confirmation appeared"; exit 1; }
echo "confirmation answered Yes"

wizard=""
for _ in $(seq 600); do
    for id in $(titled_windows); do [ "$(window_width "$id")" -ge 500 ] 2>/dev/null && wizard=$id; done
    [ -n "$wizard" ] && break
    sleep 0.05
done
[ -n "$wizard" ] || { echo "no wizard appeared"; exit 1; }
sleep 0.2
screenshot demo-wizard

# Every other box titled like the wizard comes from the removal; the last one is the
# completion box, after which the wizard closes.
boxes=0
seen=" "
while xdotool getwindowname "$wizard" >/dev/null 2>&1 && kill -0 "$uninstaller" 2>/dev/null; do
    box=$(titled_windows | grep -vx "$wizard" | head -n 1)
    if [ -n "$box" ] && [[ $seen != *" $box "* ]]; then
        seen+="$box "
        sleep 0.5
        boxes=$((boxes + 1))
        screenshot demo-completion
        xdotool key --window "$box" Escape 2>/dev/null
    fi
    sleep 0.1
done
wait "$uninstaller"
win_wait
echo "boxes shown during the removal: $boxes"
echo "what remains of the product:"
footprint report | sed 's/^/  /'
[ "${DEMO_KEEP_PREFIX:-0}" = 1 ] && echo "prefix kept: $WINEPREFIX" || e2e_drop_prefix
[ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
exit 0
