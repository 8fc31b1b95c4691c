# Shared by every end-to-end case: a Wine prefix prepared once and copied fresh for each case,
# the programs under test placed inside it (drive Z: is removed, so nothing outside the prefix
# can be reached from Windows), Xvfb for windows and message boxes, and small assertions.
set -u

E2E_ROOT=${E2E_ROOT:-/tmp/orvik-e2e}
E2E_BUILD=${E2E_BUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/win64}
E2E_SOURCE=${E2E_SOURCE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
E2E_ARTIFACTS=${E2E_ARTIFACTS:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/e2e-artifacts}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEARCH=win64
WINE=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
WINESERVER=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}

. "$(dirname "${BASH_SOURCE[0]}")/machine.sh"

# Windows paths of what each case works with.
PRODUCT_DIR='C:\Program Files\Orvik Software\Orvik Pendrel'
KIT='C:\e2e'

e2e_prepare_base() {
    local base=$E2E_ROOT/base
    [ -f "$base/.settled" ] && return 0
    rm -rf "$base"
    mkdir -p "$E2E_ROOT"
    WINEPREFIX=$base "$WINE" wineboot -i >/dev/null 2>&1
    WINEPREFIX=$base "$WINESERVER" -w
    # The user's folders must not lead out of the prefix.
    local user
    for user in "$base"/drive_c/users/*; do
        local f
        for f in Desktop Documents Downloads Music Pictures Videos Templates; do
            if [ -L "$user/$f" ]; then rm "$user/$f"; mkdir -p "$user/$f"; fi
        done
    done
    rm -f "$base/dosdevices/z:"
    # Keys and folders every Windows installation has and a new prefix lacks, which laying
    # the product down would otherwise create: they belong to the machine, not the product.
    local key
    for key in 'HKCU\Software\Classes' \
               'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts' \
               'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs' \
               'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices' \
               'HKCU\Software\Microsoft\Windows NT\CurrentVersion\PrinterPorts' \
               'HKLM\Software\Microsoft\Windows\CurrentVersion\App Management\ARPCache'; do
        WINEPREFIX=$base "$WINE" reg add "$key" /f >/dev/null 2>&1
    done
    for user in "$base"/drive_c/users/*; do
        [ -d "$user/AppData/Roaming" ] && mkdir -p "$user/AppData/Roaming/Microsoft/Internet Explorer/Quick Launch"
    done
    WINEPREFIX=$base "$WINESERVER" -w
    touch "$base/.settled"
}

e2e_start_display() {
    [ -z "${E2E_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && return 0
    export DISPLAY=${E2E_DISPLAY:-:97}
    if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        E2E_XVFB_PID=$!
        for _ in $(seq 50); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
    fi
}

# A fresh copy of the prepared prefix, with the programs under test in C:\e2e.
e2e_new_prefix() {
    local name=$1
    export WINEPREFIX=$E2E_ROOT/cases/$name
    "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$E2E_ROOT/cases"
    cp -a "$E2E_ROOT/base" "$WINEPREFIX"
    mkdir -p "$WINEPREFIX/drive_c/e2e"
    local f
    for f in "$E2E_BUILD"/Uninstall.exe "$E2E_BUILD"/tools/*.exe "$E2E_BUILD"/tools/*.dll; do
        [ -f "$f" ] && cp "$f" "$WINEPREFIX/drive_c/e2e/"
    done
    mkdir -p "$E2E_ARTIFACTS"
    # The product's language files, for footprint.exe --with lang.
    mkdir -p "$WINEPREFIX/drive_c/e2e/lang"
    cp "$E2E_SOURCE"/data/lang/*.xml "$WINEPREFIX/drive_c/e2e/lang/"
    e2e_machine_start "$name"
}

e2e_drop_prefix() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}

# Runs a Windows program of the prefix; output with CR stripped.
win() { "$WINE" "$@" 2>/dev/null | tr -d '\r'; }
win_wait() { "$WINESERVER" -w; }

# The Linux path of a Windows path inside the current prefix (drive C: only).
unix_path() {
    local p=${1#[Cc]:}
    p=${p//\\//}
    echo "$WINEPREFIX/drive_c$p"
}

footprint() { win "$KIT\\footprint.exe" "$@"; }
footprint_install() {
    footprint install --uninstaller "$KIT\\Uninstall.exe" "$@"
    e2e_machine_laid_down "$@"
}

# Dismisses the first window whose title is $1 with key $2 (default Return), waiting up to
# $3 seconds; a screenshot of the screen is kept as $4.png when a name is given.
dismiss_window() {
    local title=$1 key=${2:-Return} wait=${3:-20} shot=${4:-}
    local id=""
    for _ in $(seq $((wait * 10))); do
        id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || return 1
    sleep 0.3
    [ -n "$shot" ] && import -window root "$E2E_ARTIFACTS/$shot.png" 2>/dev/null
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
    xdotool key --window "$id" "$key" >/dev/null 2>&1
    return 0
}

# Waits up to $3 seconds until $2 visible windows are titled $1 (the wizard and its completion
# box share their caption); keeps a screenshot as $4.png when a name is given.
wait_for_titled_windows() {
    local title=$1 count=$2 wait=${3:-30} shot=${4:-}
    local end=$((SECONDS + wait))
    while [ "$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | wc -l)" -lt "$count" ]; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.2
    done
    sleep 0.3
    [ -n "$shot" ] && import -window root "$E2E_ARTIFACTS/$shot.png" 2>/dev/null
    return 0
}

# Sends key $3 to every window titled $1 until process $2 has ended, for at most $4 seconds
# (default 60); the wizard ignores the key, message boxes take it. Fails when time runs out.
# Windows titled $5, when given, must never appear meanwhile (a prompt that would hold the run).
answer_boxes_until_done() {
    local title=$1 pid=$2 key=$3 wait=${4:-60} forbidden=${5:-}
    local end=$((SECONDS + wait)) id
    while kill -0 "$pid" 2>/dev/null; do
        if [ -n "$forbidden" ] && [ -n "$(xdotool search --name "^${forbidden}\$" 2>/dev/null)" ]; then
            echo "    a window titled '$forbidden' appeared"
            return 1
        fi
        [ $SECONDS -ge $end ] && return 1
        for id in $(xdotool search --name "^${title}\$" 2>/dev/null); do
            xdotool key --window "$id" "$key" >/dev/null 2>&1
        done
        sleep 0.3
    done
    return 0
}

# Assertions: each failure is printed and remembered; a case fails when any did.
E2E_FAILURES=0
check() {
    local what=$1
    shift
    if "$@"; then return 0; fi
    echo "    FAILED: $what"
    E2E_FAILURES=$((E2E_FAILURES + 1))
    return 1
}
equals() { [ "$1" = "$2" ] || { echo "    expected [$2], got [$1]"; return 1; }; }
exists() { [ -e "$(unix_path "$1")" ]; }
missing() { [ ! -e "$(unix_path "$1")" ]; }
