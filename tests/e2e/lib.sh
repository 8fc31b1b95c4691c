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

# Where the Windows programs' own error output goes: run.sh gives each case a file, and shows
# what in it tells of a crash when the case fails.
E2E_STDERR=${E2E_STDERR:-/dev/null}

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
    export DISPLAY=${E2E_DISPLAY:-:${E2E_DISPLAY_BASE:-97}}
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
win() { "$WINE" "$@" 2>>"$E2E_STDERR" | tr -d '\r'; }
# Waits until every process of the prefix has ended, two minutes at the most; then says so and
# ends them, so that a case that leaves a process waiting fails instead of holding the suite.
win_wait() {
    timeout 120 "$WINESERVER" -w && return 0
    echo "    processes of the prefix still running after 120 s; ended"
    "$WINESERVER" -k >/dev/null 2>&1
    return 1
}

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

# Waits up to $3 seconds until file $1 has a line matching the extended regex $2; says what it
# waited for ($4) when time runs out.
wait_for_line() {
    local file=$1 pattern=$2 wait=$3 what=$4
    local end=$((SECONDS + wait))
    until grep -qE "$pattern" "$file" 2>/dev/null; do
        [ $SECONDS -ge $end ] && { echo "    waited ${wait}s for $what: it never came"; return 1; }
        sleep 0.1
    done
}

# Holds the file $1 open for $2 seconds, as a running product holds its executable, and returns
# once it is held; HOLDER is the holder's process. Started straight from Wine so that its
# "holding" line is seen while it holds (a pipe through tr would keep it back).
hold_file() {
    local path=$1 seconds=$2 out=$E2E_ROOT/holder-$BASHPID-$RANDOM.txt
    "$WINE" "$KIT\footprint.exe" hold "$path" "$seconds" >"$out" 2>>"$E2E_STDERR" &
    HOLDER=$!
    wait_for_line "$out" '^holding' 60 "the holder to open $path"
    local status=$?
    rm -f "$out"
    return $status
}

# Runs a Windows program that ends with 0 soon after it has started, for at most 60 seconds.
# Wine on a busy machine now and then fails to start one at all: a non-zero status is retried
# once, and said.
win_started() {
    timeout 60 "$WINE" "$@" </dev/null >/dev/null 2>>"$E2E_STDERR" && return 0
    local status=$?
    echo "    Wine returned $status starting $1; retried once"
    timeout 60 "$WINE" "$@" </dev/null >/dev/null 2>>"$E2E_STDERR"
}

# The ids of the windows dismissed so far in this case: a window is dismissed once, and a box
# that follows with the same title is never taken for it.
E2E_DISMISSED=" "

# The first visible window titled $1 not dismissed yet, waiting up to $2 seconds.
wait_undismissed_window() {
    local title=$1 wait=$2 id
    local end=$((SECONDS + wait))
    while :; do
        for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
            [[ $E2E_DISMISSED == *" $id "* ]] || { echo "$id"; return 0; }
        done
        [ $SECONDS -ge $end ] && return 1
        sleep 0.1
    done
}

window_shown() { xdotool search --onlyvisible --name "^${2}\$" 2>/dev/null | grep -qx "$1"; }

# Dismisses the first window whose title is $1 with key $2 (default Return), waiting up to
# $3 seconds for it; a screenshot of the screen is kept as $4.png when a name is given. Returns
# once the window has gone: a key sent before the box reads its input is sent again.
dismiss_window() {
    local title=$1 key=${2:-Return} wait=${3:-20} shot=${4:-}
    local id
    id=$(wait_undismissed_window "$title" "$wait") || { echo "    no window titled '$title' within ${wait}s"; return 1; }
    [ -n "$shot" ] && import -window root "$E2E_ARTIFACTS/$shot.png" 2>/dev/null
    local end=$((SECONDS + wait)) tick
    while window_shown "$id" "$title"; do
        [ $SECONDS -ge $end ] && { echo "    the window titled '$title' did not take $key"; return 1; }
        xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
        xdotool key --window "$id" "$key" >/dev/null 2>&1
        for tick in $(seq 20); do window_shown "$id" "$title" || break; sleep 0.1; done
    done
    E2E_DISMISSED+="$id "
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

# Runs the silent uninstall $1 through the installer's pipe and prints the codes received on one
# line; a box the run shows meanwhile (an unusable record, the product in use) is answered with
# Enter.
silent_run_answering_boxes() {
    local out=$E2E_ROOT/host-$BASHPID-$RANDOM.txt
    "$WINE" "$KIT\\installer_host.exe" "$1" --timeout 60 >"$out" 2>>"$E2E_STDERR" &
    local host=$!
    answer_boxes_until_done "Orvik Pendrel Uninstall Wizard" "$host" Return 90 >&2 ||
        echo "    the silent run did not end within 90 s" >&2
    wait "$host"
    tr -d '\r' <"$out" | tr '\n' ' ' | sed 's/ $//'
    rm -f "$out"
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
