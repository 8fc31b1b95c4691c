# Under Wine a Unix link looks like a plain file or directory, and deleting it by name deletes
# what it leads to. An unelevated process of the same user can put such links where the
# product's files are: in the user's desktop, Quick Launch and Start-menu folders, in the
# VirtualStore, and (Wine enforcing no access lists) in the install directory. The run removes
# the product and leaves every file and directory the links lead to.

# Replaces the item at Windows path $1 with a Unix link to Windows path $2.
plant_link() {
    local at target
    at=$(unix_path "$1")
    target=$(unix_path "$2")
    rm -rf "$at"
    mkdir -p "$(dirname "$at")"
    ln -s "$target" "$at"
}

# A victim file of the system's with content $2 at Windows path $1.
plant_victim_file() {
    local at
    at=$(unix_path "$1")
    mkdir -p "$(dirname "$at")"
    printf '%s' "$2" >"$at"
}

victim_holds() { [ "$(cat "$(unix_path "$1")" 2>/dev/null)" = "$2" ]; }

case_file_links_planted_by_the_user_lead_the_removal_nowhere() {
    footprint_install
    local profile desktop appdata programs store vendor='C:\Program Files\Other Vendor'
    profile=$(win cmd /c 'echo %USERPROFILE%')
    desktop="$profile\\Desktop"
    appdata="$profile\\AppData\\Roaming"
    programs="$appdata\\Microsoft\\Windows\\Start Menu\\Programs"
    store="$profile\\AppData\\Local\\VirtualStore\\Program Files\\Orvik Software\\Orvik Pendrel"
    local n=0 victim
    for link in "$desktop\\Orvik Pendrel.lnk" \
                "$appdata\\Microsoft\\Internet Explorer\\Quick Launch\\Orvik Pendrel.lnk" \
                "$programs\\Orvik Pendrel\\evil.lnk" \
                "$PRODUCT_DIR\\Readme.txt"; do
        n=$((n + 1))
        victim="C:\\windows\\system32\\orvik-victim-$n.dll"
        plant_victim_file "$victim" "victim $n"
        plant_link "$link" "$victim"
    done
    plant_victim_file "$vendor\\Tool\\tool.exe" "tool"
    mkdir -p "$(unix_path "$vendor\\Empty")" "$(unix_path "$vendor\\Empty2")"
    plant_link "$PRODUCT_DIR\\lex" "$vendor\\Tool"
    plant_link "$PRODUCT_DIR\\Stamps" "$vendor\\Empty"
    plant_link "$store" "$vendor\\Empty2"

    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 90 | tr '\n' ' ')
    win_wait
    check "codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    for n in 1 2 3 4; do
        check "system file $n behind a link survives" victim_holds "C:\\windows\\system32\\orvik-victim-$n.dll" "victim $n"
    done
    check "the other vendor's tool survives" victim_holds "$vendor\\Tool\\tool.exe" "tool"
    check "the other vendor's empty directories survive" test -d "$(unix_path "$vendor\\Empty")" -a -d "$(unix_path "$vendor\\Empty2")"
    check "the product's executable is gone" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "the product's uninstall entry is gone" bash -c "! grep -q '^product present key .*Uninstall' <<<\"\$1\"" _ \
        "$(footprint report)"
    # The links are left where they are (removing one would remove what it leads to), and so
    # are the directories that hold them and the victims planted for the case.
    e2e_machine_allow '^file C:/windows/system32/orvik-victim-[0-9]\.dll ' '^(dir  |file )C:/Program Files/Other Vendor' \
        '^(dir  |file )C:/Program Files/Orvik Software' '^(dir  |file )C:/users/[^/]+/Desktop/Orvik Pendrel\.lnk' \
        '^(dir  |file )C:/users/[^/]+/AppData/Roaming/Microsoft/Internet Explorer/Quick Launch/Orvik Pendrel\.lnk' \
        '^(dir  |file )C:/users/[^/]+/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orvik Pendrel' \
        '^(dir  |file )C:/users/[^/]+/AppData/Local/VirtualStore'
}

# Another process of the user tries, all through the run, to rename the temporary copy away and
# put a link to a system file at its name, as it did to have the copy's deletion by name delete
# that file. The installed copy holds the copy without sharing the right to rename it and deletes
# it through that handle: the system file survives whatever the tries achieve.
case_file_links_temporary_copy_swapped_for_a_link_deletes_nothing_else() {
    footprint_install
    local victim='C:\windows\system32\orvik-victim-copy.dll' temp stop watch=$E2E_ROOT/swapper-$BASHPID.txt
    plant_victim_file "$victim" "victim"
    temp=$(win cmd /c 'echo %TEMP%')
    stop="$temp\\swapper-stop"
    rm -f "$(unix_path "$stop")" "$watch"
    touch "$watch"
    "$WINE" "$KIT\\footprint.exe" swap-copies "$temp" "$stop" 120 >"$watch" 2>>"$E2E_STDERR" &
    local swapper=$!
    # Whatever name the swapper takes away gets a Unix link to the victim.
    tail -n +1 -f "$watch" | while read -r line; do
        case $line in renamed\ *) ln -s "$(unix_path "$victim")" "$(unix_path "$temp")/${line#renamed }" ;; esac
    done &
    local linker=$!
    check "the swapper watches" wait_for_line "$watch" '^watching' 60 "the swapper" || return 1
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 90 | tr '\n' ' ')
    touch "$(unix_path "$stop")"
    win_wait
    wait "$swapper" 2>/dev/null
    kill "$linker" 2>/dev/null
    pkill -f "tail -n \+1 -f $watch" 2>/dev/null
    rm -f "$(unix_path "$stop")"
    echo "    renames that succeeded: $(grep -c '^renamed' "$watch")"
    check "codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "the system file survives" victim_holds "$victim" "victim"
    check "nothing of the product left, nothing foreign lost" footprint check
    # The victim is the case's own; a link the swapper planted stays where it was put.
    e2e_machine_allow '^file C:/windows/system32/orvik-victim-copy\.dll ' '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe'
    rm -f "$watch"
}
