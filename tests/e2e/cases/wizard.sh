# The interactive uninstall, driven like a person: the confirmation, the wizard with its banner,
# status line, progress bar and link, the completion box, and what must not disturb the wizard.

WIZARD_TITLE="Orvik Pendrel Uninstall Wizard"
LINK_BLUE="#1D5A8E"
LINK_RED="#FF0000"
BANNER_BMP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)/src/resources/banner.bmp

# Every window titled like the wizard (the wizard and its message boxes share the caption).
# xdotool without its complaints about the missing window manager.
xdo() { xdotool "$@" 2>/dev/null; }

wizard_titled_windows() { xdo search --onlyvisible --name "^${WIZARD_TITLE}\$"; }

# Waits up to $1 seconds for a window titled like the wizard that is not among $2; prints its id.
wait_new_titled_window() {
    local wait=$1 known=" ${2:-} " id
    for _ in $(seq $((wait * 20))); do
        for id in $(wizard_titled_windows); do
            [[ $known == *" $id "* ]] || { echo "$id"; return 0; }
        done
        sleep 0.05
    done
    return 1
}

# Waits up to $1 seconds for the wizard itself: titled like it and as wide as its banner.
wait_wizard_window() {
    local wait=$1 id width
    for _ in $(seq $((wait * 20 + 1))); do
        for id in $(wizard_titled_windows); do
            width=$(xdo getwindowgeometry --shell "$id" 2>/dev/null | awk -F= '/^WIDTH=/{print $2}')
            [ "${width:-0}" -ge 500 ] && { echo "$id"; return 0; }
        done
        sleep 0.05
    done
    return 1
}

# Client origin (x y) of a window on the screen.
window_origin() { xdo getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}'; }

# Colour of one pixel of the screen now.
screen_pixel() { import -window root -crop "1x1+$1+$2" -format '%[pixel:p{0,0}]' info: 2>/dev/null; }

# Colour of one pixel of a screenshot, as ImageMagick names it (e.g. srgb(29,90,142)).
pixel_at() { convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }

# How many pixels of the region WxH+X+Y of a screenshot have exactly colour $3 (as #RRGGBB).
count_colour() { convert "$1" -crop "$2" +repage txt:- 2>/dev/null | grep -c "$3"; }

at_least() { [ "$1" -ge "$2" ] || { echo "    expected at least $2, got $1"; return 1; }; }
differs() { [ "$1" != "$2" ] || { echo "    expected something other than [$2]"; return 1; }; }

shot() { import -window root "$E2E_ARTIFACTS/$1.png" 2>/dev/null; echo "$E2E_ARTIFACTS/$1.png"; }

# Takes screenshot $1 again and again until "$3... PATH" holds of it, for at most $2 seconds
# (the screen is drawn a little after a window appears); prints the last one's path.
shot_until() {
    local name=$1 wait=$2 path
    shift 2
    local end=$((SECONDS + wait))
    while :; do
        path=$(shot "$name")
        "$@" "$path" && break
        [ $SECONDS -ge $end ] && break
        sleep 0.1
    done
    echo "$path"
}

# Whether screenshot $1 shows the wizard at WX, WY done: banner, full bar, red link; and with
# the link back in its own colour.
wizard_done_drawn() {
    [ "$(pixel_at "$1" $((WX + 5)) $((WY + 5)))" = "$(pixel_at "$BANNER_BMP" 5 5)" ] &&
        [ "$(pixel_at "$1" $((WX + 500)) $((WY + 111)))" = "$(pixel_at "$1" $((WX + 20)) $((WY + 111)))" ] &&
        [ "$(count_colour "$1" "160x24+$((WX + 16))+$((WY + 145))" "$LINK_RED")" -ge 40 ]
}
link_back_in_blue() { [ "$(count_colour "$1" "160x24+$((WX + 16))+$((WY + 145))" "$LINK_BLUE")" -ge 40 ]; }

# Whether a colour such as srgb(48,150,250) is the progress bar's blue.
is_bar_blue() { [[ $1 =~ ^srgb\(([0-9]+),([0-9]+),([0-9]+)\)$ ]] && ((BASH_REMATCH[1] < 120 && BASH_REMATCH[3] > 200)); }

# Starts the uninstaller, answers Yes and reaches the wizard before its removal begins, with the
# mouse resting on the link and Enter, Escape and Alt+F4 given to it. Sets UNINSTALLER, WIZARD,
# WX and WY. Returns 2 when the removal had begun before the wizard could be reached.
reach_wizard_before_removal() {
    # The wizard opens at the top left of the screen; the mouse waits where its link will be,
    # so the wizard's first input is the mouse entering the link.
    xdo mousemove 60 180
    win "$PRODUCT_DIR\\Uninstall.exe" &
    UNINSTALLER=$!
    local confirmation pid
    confirmation=$(wait_new_titled_window 30) || { echo "    no confirmation box within 30 s"; return 1; }
    pid=$(xdo getwindowpid "$confirmation")
    [ -n "$pid" ] || { echo "    the confirmation box's process is not known"; return 1; }
    shot wizard-confirmation >/dev/null
    xdo key --window "$confirmation" Return

    # The removal starts half a second after the wizard is set up. As soon as the wizard is
    # mapped its process is held while the keys are queued for it; a held process reads the
    # queued input before it looks at its timers, so all of it reaches the wizard before the
    # removal can begin. Were it otherwise, the keys would close the completion box, and the
    # link could not be red (a wizard disabled by its box gets no mouse moves).
    WIZARD=""
    local tick
    for tick in $(seq 3000); do
        WIZARD=$(wizard_titled_windows | grep -vx "$confirmation" | head -n 1)
        [ -n "$WIZARD" ] && break
        # On a busy machine the key can reach the box before it reads its input, and is lost:
        # it is given again, once a second, while the box is still there.
        if ((tick % 100 == 0)) && wizard_titled_windows | grep -qx "$confirmation"; then
            xdo key --window "$confirmation" Return
        fi
        sleep 0.01
    done
    [ -n "$WIZARD" ] || { echo "    no wizard after the confirmation"; return 1; }
    kill -STOP "$pid"
    read -r WX WY < <(window_origin "$WIZARD")
    if is_bar_blue "$(screen_pixel $((WX + 20)) $((WY + 111)))"; then
        kill -CONT "$pid"
        return 2
    fi
    xdo mousemove $((WX + 40)) $((WY + 157))   # on the link
    xdo key --window "$WIZARD" Return
    xdo key --window "$WIZARD" Escape
    xdo key --window "$WIZARD" alt+F4
    kill -CONT "$pid"
    shot wizard-first-seen >/dev/null
}

case_wizard_interactive_run() {
    local attempt status=1 x y
    # A machine busy elsewhere may be too slow to reach the wizard in its first half second;
    # the product is then laid down again and the run repeated.
    for attempt in 1 2 3; do
        footprint_install
        reach_wizard_before_removal
        status=$?
        [ "$status" -ne 2 ] && break
        echo "    removal had begun before the wizard was reached (attempt $attempt); again"
        local late
        late=$(wait_new_titled_window 60 "$WIZARD") && xdo key --window "$late" Return
        wait "$UNINSTALLER"
        win_wait
    done
    check "wizard reached before its removal" equals "$status" 0 || return 1
    local wizard=$WIZARD uninstaller=$UNINSTALLER
    x=$WX y=$WY

    local box
    box=$(wait_new_titled_window 60 "$wizard") || { check "completion box appears" false; return 1; }
    local done=$(shot_until wizard-completion 10 wizard_done_drawn)
    check "wizard still open after Enter, Escape and Alt+F4" xdo getwindowname "$wizard" >/dev/null

    # The wizard as a person sees it: banner, status line, full progress bar, red link under the mouse.
    check "banner drawn" equals "$(pixel_at "$done" $((x + 5)) $((y + 5)))" "$(pixel_at "$BANNER_BMP" 5 5)"
    check "progress bar full" equals "$(pixel_at "$done" $((x + 500)) $((y + 111)))" \
        "$(pixel_at "$done" $((x + 20)) $((y + 111)))"
    check "progress bar drawn" differs "$(pixel_at "$done" $((x + 20)) $((y + 111)))" \
        "$(pixel_at "$done" $((x + 520)) $((y + 111)))"
    check "link red while the mouse rests on it" at_least \
        "$(count_colour "$done" "160x24+$((x + 16))+$((y + 145))" "$LINK_RED")" 40

    # A second uninstaller started meanwhile brings the wizard forward and ends by itself.
    win "$KIT\\Uninstall.exe" &
    local second=$!
    local ended=no
    for _ in $(seq 100); do kill -0 "$second" 2>/dev/null || { ended=yes; break; }; sleep 0.1; done
    check "second instance ends by itself" equals "$ended" yes
    check "second instance shows nothing" equals "$(wizard_titled_windows | wc -l)" 2

    # Leaving the link turns it back to the link colour (its timer runs while the box is open).
    xdo mousemove $((x + 100)) $((y + 30))
    local left=$(shot_until wizard-link-left 10 link_back_in_blue)
    check "link in its own colour once the mouse has left" at_least \
        "$(count_colour "$left" "160x24+$((x + 16))+$((y + 145))" "$LINK_BLUE")" 40

    xdo key --window "$box" Return
    wait "$uninstaller"
    win_wait
    check "wizard closed" equals "$(wizard_titled_windows | wc -l)" 0
    check "product executable removed" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
}

case_wizard_confirmation_no_keeps_product() {
    e2e_machine_expect kept
    footprint_install
    win "$PRODUCT_DIR\\Uninstall.exe" &
    local uninstaller=$!
    check "confirmation answered No" dismiss_window "$WIZARD_TITLE" n 30 || return 1
    wait "$uninstaller"
    win_wait
    check "no wizard" equals "$(wizard_titled_windows | wc -l)" 0
    check "product executable kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
}
