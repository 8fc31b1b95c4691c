# The installed Uninstall.exe hands the work to a copy of itself in the temporary directory,
# waits for it to end and deletes it through the handle it holds; once the product has gone it
# hands its own deletion and its directory's to the command interpreter. For the installer it
# moves out of the install directory first and does the work itself.

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

# Once every process has ended, the install directory is gone with the uninstaller.
install_dir_gone() {
    local dir
    dir=$(unix_path "$PRODUCT_DIR")
    [ ! -e "$dir" ] || { echo "    left in the install directory: $(ls -A "$dir" | tr '\n' ' ')"; return 1; }
}

# For the installer the installed uninstaller moves out of the install directory into the
# machine's temporary directory before anything is removed, and runs the removal itself there:
# no copy is made in the user's temporary directory.
case_relaunch_installers_run_is_done_by_the_installed_copy_moved_aside() {
    footprint_install
    local out
    out=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 --show-client)
    win_wait
    check "the process the installer started reports" equals "$(grep '^client' <<<"$out")" "client $PRODUCT_DIR\\Uninstall.exe"
    check "every code received" equals "$(grep -E '^-?[0-9]+$' <<<"$out" | tr '\n' ' ')" "1 2 4 6 7 8 9 10 "
    check "product executable deleted" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "install directory gone" install_dir_gone
    check "no copy made in the user's temporary directory" no_temp_copies
    check "the moved uninstaller gone from the machine's temporary directory once every process ended" equals \
        "$(ls "$WINEPREFIX/drive_c/windows/temp" | grep -ic '^orv.*\.tmp$')" 0
}

case_relaunch_declined_confirmation_deletes_the_copy() {
    e2e_machine_expect kept
    footprint_install
    # The installed copy waits for its copy, which asks.
    "$WINE" "$PRODUCT_DIR\\Uninstall.exe" </dev/null >/dev/null 2>>"$E2E_STDERR" &
    local installed=$!
    check "the copy asks for confirmation" dismiss_window "Orvik Pendrel Uninstall Wizard" n 30 declined-confirmation
    check "the installed copy ends once its copy has" timeout 60 tail --pid="$installed" -f /dev/null
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
    check "install directory gone" install_dir_gone
}
