# The interactive uninstall, driven like a person: the confirmation, the wizard with its banner,
# status line, progress bar and link, the completion box, and what must not disturb the wizard;
# the wizard at the display scales of today's laptops and mirrored in Arabic.

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

# The display's scale, as Wine reads it when a program starts: LogPixels of the user's desktop,
# which Wine copies to its fonts' key.
set_display_dpi() {
    e2e_machine_allow '^value HKCU\\(Control Panel\\Desktop|Software\\Wine\\Fonts) "LogPixels"='
    win reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
}

# A 96-DPI length at DPI $2, rounded as the wizard rounds it.
scaled() { echo $((($1 * $2 + 48) / 96)); }

# The region (WxH+X+Y) on the screen where the link's text may lie at DPI $1: its control grows
# when the text does not fit, as far as the wizard's margins on either side.
link_region() {
    local margin
    margin=$(scaled 16 "$1")
    echo "$((WW - 2 * margin))x$(scaled 24 "$1")+$((WX + margin))+$((WY + $(scaled 145 "$1")))"
}

# Whether screenshot $1 shows the wizard drawn at DPI $2: the link, and the banner's picture
# unless the wizard is mirrored ($3).
wizard_drawn_at() {
    { [ -n "${3:-}" ] || [ "$(pixel_at "$1" $((WX + 5)) $((WY + 5)))" = "$(pixel_at "$BANNER_BMP" 5 5)" ]; } &&
        [ "$(count_colour "$1" "$(link_region "$2")" "$LINK_BLUE")" -ge 40 ]
}

# Runs the interactive uninstall at DPI $2 (the display's now) with the caption $3, answers the
# confirmation with Yes and waits for the wizard to be drawn ($4: mirrored). Sets UNINSTALLER,
# WIZARD, WX, WY and WW (the wizard's width); the screenshots are kept as $1-confirmation.png
# and $1.png.
reach_wizard_drawn() {
    local shots=$1 dpi=$2 mirrored=${4:-}
    WIZARD_TITLE_NOW=$3
    xdo mousemove 1270 1000   # away from the link, which would turn red
    win "$PRODUCT_DIR\\Uninstall.exe" &
    UNINSTALLER=$!
    check "confirmation answered Yes" dismiss_window "$WIZARD_TITLE_NOW" y 30 "$shots-confirmation" || return 1
    WIZARD=$(WIZARD_TITLE=$WIZARD_TITLE_NOW wait_wizard_window 30) || { echo "    no wizard"; return 1; }
    # The removal draws nothing over the wizard until its completion box, which may cover the
    # link of a large wizard: the wizard is looked at before. Its place is read with each look,
    # since Wine may move it once it has been mapped.
    local end=$((SECONDS + 20)) path
    while :; do
        read -r WX WY < <(window_origin "$WIZARD")
        WW=$(xdo getwindowgeometry --shell "$WIZARD" | awk -F= '/^WIDTH=/{print $2}')
        path=$(shot "$shots")
        wizard_drawn_at "$path" "$dpi" $mirrored && return 0
        [ $SECONDS -ge $end ] && { echo "    the wizard at $WX,$WY was not seen drawn within 20 s"; return 1; }
        sleep 0.1
    done
}

# Answers the completion box and waits for the run's end; its screenshot is kept as $1.png.
finish_run() {
    wait_for_titled_windows "$WIZARD_TITLE_NOW" 2 60 "$1" || echo "    no completion box"
    answer_boxes_until_done "$WIZARD_TITLE_NOW" "$UNINSTALLER" Return 60 || "$WINESERVER" -k
    wait "$UNINSTALLER"
    win_wait
}

# The link's text in screenshot $1 at DPI $2 is whole. Centred in its control, a text cut by the
# control reaches both of its sides: from the control's left edge to the last column of the
# control scaled (the text was not measured) or of the widest control the margins allow.
link_text_fits() {
    local region columns first last widest
    region=$(link_region "$2")
    widest=${region%%x*}
    columns=$(convert "$1" -crop "$region" +repage txt:- 2>/dev/null | grep -i "$LINK_BLUE" | cut -d, -f1 | sort -n |
        sed -n '1p;$p' | xargs)
    [ -n "$columns" ] || { echo "    no link text in $region"; return 1; }
    read -r first last <<<"$columns"
    if [ "$first" -eq 0 ] && { [ "$last" -eq $(($(scaled 160 "$2") - 1)) ] || [ "$last" -eq $((widest - 1)) ]; }; then
        echo "    link text cut by its control: columns $first to $last"
        return 1
    fi
}

wizard_at_dpi() {
    local dpi=$1 path=$E2E_ARTIFACTS/wizard-dpi-$1.png
    set_display_dpi "$dpi"
    footprint_install
    reach_wizard_drawn "wizard-dpi-$dpi" "$dpi" "$WIZARD_TITLE" ||
        { finish_run "wizard-dpi-$dpi-completion"; return 1; }
    check "wizard at least 95 % of 525 pixels scaled ($WW at $dpi DPI)" at_least $((WW * 100 * 96)) $((525 * 95 * dpi))
    check "link text fits its control" link_text_fits "$path" "$dpi"
    finish_run "wizard-dpi-$dpi-completion"
    check "product executable removed" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
}

case_wizard_at_96_dpi() { wizard_at_dpi 96; }
case_wizard_at_144_dpi() { wizard_at_dpi 144; }
case_wizard_at_192_dpi() { wizard_at_dpi 192; }

# White, or nearly: the banner's emblem.
is_whiteish() {
    [[ $1 =~ ^srgb\(([0-9]+),([0-9]+),([0-9]+)\)$ ]] &&
        ((BASH_REMATCH[1] > 220 && BASH_REMATCH[2] > 220 && BASH_REMATCH[3] > 220))
}
not() { ! "$@"; }

# How many pixels of the status line's left or right half ($2) of screenshot $1 are dark: text.
status_text_pixels() {
    local half=$((491 / 2)) x=$((WX + 16))
    [ "$2" = right ] && x=$((x + half))
    convert "$1" -crop "${half}x22+$x+$((WY + 79))" +repage -colorspace gray -threshold 50% -negate \
        -format '%[fx:int(mean*w*h)]' info: 2>/dev/null
}

case_wizard_arabic_is_mirrored() {
    local path=$E2E_ARTIFACTS/wizard-arabic.png
    footprint_install --with lang --lang 40802
    reach_wizard_drawn wizard-arabic 96 "معالج إزالة تثبيت Orvik Pendrel" mirrored ||
        { finish_run wizard-arabic-completion; return 1; }
    check "banner emblem at the right" is_whiteish "$(pixel_at "$path" $((WX + WW - 31)) $((WY + 15)))"
    check "no emblem at the left" not is_whiteish "$(pixel_at "$path" $((WX + 30)) $((WY + 15)))"
    check "status text at the right" at_least "$(status_text_pixels "$path" right)" 50
    check "nothing of it at the left" equals "$(status_text_pixels "$path" left)" 0
    finish_run wizard-arabic-completion
    check "product executable removed" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
}
