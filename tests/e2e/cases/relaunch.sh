# The installed Uninstall.exe hands the work to a copy of itself in the temporary directory and
# ends at once; the copy deletes itself through the command interpreter when it is done.

# The copies ("orvXXXX.exe") still present in the user's temporary directory, one per line.
temp_copies() {
    local f
    for f in "$WINEPREFIX"/drive_c/users/*/Temp/orv*.exe "$WINEPREFIX"/drive_c/users/*/Temp/orv*.tmp; do
        [ -e "$f" ] && echo "${f#"$WINEPREFIX"/}"
    done
    return 0
}
no_temp_copies() {
    local left
    left=$(temp_copies)
    [ -z "$left" ] || { echo "    left: $left"; return 1; }
}

# The removal went as far as it can while the program-files step keeps the uninstaller: the
# install directory is gone, or holds nothing but Uninstall.exe.
install_dir_emptied() {
    local dir
    dir=$(unix_path "$PRODUCT_DIR")
    [ -e "$dir" ] || return 0
    local left
    left=$(ls -A "$dir")
    [ "$left" = "Uninstall.exe" ] || { echo "    left in the install directory: $(echo $left)"; return 1; }
}

case_relaunch_silent_run_is_done_by_a_temporary_copy() {
    footprint_install
    local out
    out=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 --show-client)
    win_wait
    check "the temporary copy reports" grep -qiE '^client C:\\users\\[^\\]+\\Temp\\orv[0-9a-f]{1,4}\.exe$' <<<"$out" ||
        echo "    $(grep '^client' <<<"$out")"
    check "the installed copy ends at once" grep -qx 'started ended' <<<"$out"
    check "every code received" equals "$(grep -E '^-?[0-9]+$' <<<"$out" | tr '\n' ' ')" "1 2 4 6 7 8 9 10 "
    check "product executable deleted" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "install directory emptied" install_dir_emptied
    check "no copy left once every process ended" no_temp_copies
}

case_relaunch_declined_confirmation_deletes_the_copy() {
    e2e_machine_expect kept
    footprint_install
    # Returns as soon as the installed copy ends; it would wait for ever if that copy asked.
    check "the installed copy ends without asking" win_started "$PRODUCT_DIR\\Uninstall.exe"
    check "the copy asks for confirmation" dismiss_window "Orvik Pendrel Uninstall Wizard" n 30 declined-confirmation
    win_wait
    check "no copy left once every process ended" no_temp_copies
    check "product executable kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "uninstaller kept" exists "$PRODUCT_DIR\\Uninstall.exe"
    check "records kept" footprint_reg_has_install_path
}

case_relaunch_from_inside_the_install_directory_does_not_hold_it() {
    footprint_install
    # Started as from a window of the install directory: that directory is its current one.
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 \
        --current-directory "$PRODUCT_DIR" | tr '\n' ' ')
    win_wait
    check "every code received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "install directory emptied" install_dir_emptied
}
