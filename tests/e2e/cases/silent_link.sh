# The silent, installer-driven run and its reports through the pipe.

UNINSTALLER="$PRODUCT_DIR\\Uninstall.exe"

case_silent_run_reports_every_step() {
    footprint_install
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$UNINSTALLER" --timeout 60 | tr '\n' ' ')
    win_wait
    check "codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "product executable deleted" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
}

case_product_in_use_reports_failure_and_removes_nothing() {
    e2e_machine_expect kept
    # A temporary copy that stops before the removal stays in the temporary directory.
    e2e_machine_allow '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe '
    footprint_install
    check "product executable held" hold_file "$PRODUCT_DIR\\Orvik Pendrel.exe" 20 || return 1
    local holder=$HOLDER
    local out=$E2E_ROOT/host-$BASHPID.txt
    win "$KIT\\installer_host.exe" "$UNINSTALLER" --timeout 60 >"$out" &
    local host=$!
    check "message 6 shown in silent mode" dismiss_window "Orvik Pendrel Uninstall Wizard" Return 30 in-use-message
    wait "$host"
    check "only -1 received" equals "$(tr '\n' ' ' <"$out")" "-1 "
    check "product executable kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "uninstaller kept" exists "$PRODUCT_DIR\\Uninstall.exe"
    check "records kept" footprint_reg_has_install_path
    rm -f "$out"
    kill "$holder" 2>/dev/null
}

case_silent_run_without_pipe_removes_nothing() {
    e2e_machine_expect kept
    # A temporary copy that stops before the removal stays in the temporary directory.
    e2e_machine_allow '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe '
    footprint_install
    win "$UNINSTALLER" -UninstForInst
    win_wait
    check "product executable kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "records kept" footprint_reg_has_install_path
}

footprint_reg_has_install_path() {
    footprint report | grep -q '^product present key HKLM\\Software\\Orvik Software\\Orvik Pendrel$'
}
