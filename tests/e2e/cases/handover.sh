# The product's installer owns the install directory from the moment its pipe closes: an upgrade
# in place writes the new version's files there at once, and nothing of the old uninstaller
# deletes, holds or changes them afterwards. The uninstaller stays while the product stays.

# The new version's files are all there, each as the installer wrote it.
new_version_intact() {
    local name content
    for name in Uninstall.exe "Orvik Pendrel.exe" Readme.txt; do
        content=$(cat "$(unix_path "$PRODUCT_DIR\\$name")" 2>/dev/null)
        [ "$content" = "new version $name" ] || { echo "    $name: [$content]"; return 1; }
    done
}

case_handover_upgrade_in_place_keeps_every_new_file() {
    # The new version stays: it is no leftover of the removal.
    e2e_machine_allow '^(dir  |file )C:/Program Files/Orvik Software(/Orvik Pendrel(/(Uninstall\.exe|Orvik Pendrel\.exe|Readme\.txt))?)?( |$)'
    local round out
    for round in 1 2 3; do
        footprint_install
        out=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 --upgrade "$PRODUCT_DIR")
        win_wait
        check "round $round: every code received" equals "$(grep -E '^-?[0-9]+$' <<<"$out" | tr '\n' ' ')" "1 2 4 6 7 8 9 10 "
        check "round $round: the installer wrote the new version" grep -qx upgraded <<<"$out" || echo "    $out"
        check "round $round: every new file intact once every process ended" new_version_intact
        check "round $round: nothing else left in the install directory" equals \
            "$(ls -A "$(unix_path "$PRODUCT_DIR")" | LC_ALL=C sort | tr '\n' '/')" "Orvik Pendrel.exe/Readme.txt/Uninstall.exe/"
        check "round $round: the old uninstaller gone from the machine's temporary directory" equals \
            "$(ls "$WINEPREFIX/drive_c/windows/temp" | grep -ic '^orv.*\.tmp$')" 0
    done
}

# Declined, with the product's executable already gone: the uninstaller stays with the rest of
# the product, which it alone can remove.
case_handover_declined_run_keeps_the_uninstaller() {
    e2e_machine_expect kept
    footprint_install
    rm -f "$(unix_path "$PRODUCT_DIR\\Orvik Pendrel.exe")"
    "$WINE" "$PRODUCT_DIR\\Uninstall.exe" </dev/null >/dev/null 2>>"$E2E_STDERR" &
    local installed=$!
    check "the copy asks for confirmation" dismiss_window "Orvik Pendrel Uninstall Wizard" n 30 declined-confirmation
    check "the installed copy ends once its copy has" timeout 60 tail --pid="$installed" -f /dev/null
    win_wait
    check "uninstaller kept" exists "$PRODUCT_DIR\\Uninstall.exe"
    check "records kept" footprint_reg_has_install_path
}
