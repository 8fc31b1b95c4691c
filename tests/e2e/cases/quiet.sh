# The administrators' mode, as a deployment tool runs it: "Uninstall.exe /quiet", no window, an
# exit code read whole by a Windows program (Wine's own exit status keeps eight bits), a log, and
# a return only once the work is done.

# Runs the installed uninstaller with arguments $1 from a Windows launcher; prints its exit code.
quiet_run() {
    win "$KIT\\footprint.exe" run-wait "$PRODUCT_DIR\\Uninstall.exe" "$1" | sed -n 's/^exit //p'
}

# The quiet run's log in the user's temporary directory, as a Linux path.
quiet_log() {
    local dir
    for dir in "$WINEPREFIX"/drive_c/users/*/Temp; do echo "$dir/Orvik Pendrel Uninstall.log"; done | head -n 1
}

# No window of the program's was ever visible: none is there while it runs, and the log says no
# box was shown.
no_box_in_log() { ! grep -q '^message: ' "$1"; }

case_quiet_whole_product_gives_0_and_nothing_is_left_when_it_returns() {
    footprint_install
    check "the Uninstall entry offers the quiet command" grep -qF 'Uninstall.exe" /quiet' \
        <<<"$(win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvik Pendrel' /v QuietUninstallString)"
    local code
    code=$(quiet_run "/quiet")
    check "exit code" equals "$code" "0"
    # At the return the records, the entry, the shortcuts and the program files are gone.
    check "the product's executable is gone at the return" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "the records are gone at the return" bash -c "! grep -qE '^product present (key|value) HKLM' <<<\"\$1\"" _ \
        "$(footprint report)"
    local log
    log=$(quiet_log)
    win_wait
    check "nothing of the product left, nothing foreign lost" footprint check
    check "the log ends with the outcome" bash -c "tr -d '\\r' <\"\$1\" | tail -n 1 | grep -qx 'outcome: 0 (everything of the product is removed)'" _ "$log"
    local name
    for name in Readme.txt config.xml 'Orvik Pendrel.exe'; do
        check "the log lists $name as removed" grep -qF "removed: file $PRODUCT_DIR\\$name" "$log"
    done
    check "the log lists the Uninstall entry's key as removed" grep -qF \
        'removed: key HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Orvik Pendrel' "$log"
    check "the log lists the .pdf association as removed" grep -qF \
        'removed: value HKLM\Software\Classes\.pdf\(default)' "$log"
    check "no box was shown" no_box_in_log "$log"
    # The log stays for the administrator.
    e2e_machine_allow '^file C:/users/[^/]+/Temp/Orvik Pendrel Uninstall\.log '
}

case_quiet_product_running_gives_1618_and_removes_nothing() {
    e2e_machine_expect kept
    footprint_install
    # Held open as the running product holds it.
    check "the product runs" hold_file "$PRODUCT_DIR\\Orvik Pendrel.exe" 20 || return 1
    local code
    code=$(quiet_run "/S /log C:\\quiet.log")
    win_wait
    check "exit code" equals "$code" "1618"
    check "product executable kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "the log tells why, and no box was shown" grep -q '^message (not shown): ' "$(unix_path 'C:\quiet.log')"
    e2e_machine_allow '^file C:/quiet\.log '
}

case_quiet_program_file_held_open_never_gives_0_and_the_log_names_it() {
    footprint_install
    local holder=$E2E_ROOT/holder-$BASHPID.txt
    "$WINE" "$KIT\\footprint.exe" hold "$PRODUCT_DIR\\Readme.txt" 60 >"$holder" 2>>"$E2E_STDERR" &
    local held=$!
    check "the file is held" wait_for_line "$holder" '^holding' 60 "the holder" || return 1
    local code
    code=$(quiet_run "/quiet /log C:\\quiet.log")
    kill "$held" 2>/dev/null
    wait "$held" 2>/dev/null
    win_wait
    check "exit code is 1603 or 3010" grep -qxE '1603|3010' <<<"$code"
    check "the log names the file" grep -qiF 'Readme.txt' "$(unix_path 'C:\quiet.log')"
    check "the log gives the system's reason in words" grep -qE 'Readme\.txt \(Windows error [0-9]+: [A-Za-z]' \
        "$(unix_path 'C:\quiet.log')"
    # The held file and the directories above it stay; so does the log.
    e2e_machine_allow '^file C:/quiet\.log ' '^(dir  |file )C:/Program Files/Orvik Software'
}

case_quiet_another_removal_holding_the_mutex_gives_1618() {
    e2e_machine_expect kept
    footprint_install
    # An interactive removal waits at its question, holding the mutex.
    "$WINE" "$PRODUCT_DIR\\Uninstall.exe" </dev/null >/dev/null 2>>"$E2E_STDERR" &
    local first=$!
    check "the first removal asks" wait_undismissed_window "Orvik Pendrel Uninstall Wizard" 30 >/dev/null || return 1
    local code
    code=$(quiet_run "/quiet")
    check "exit code" equals "$code" "1618"
    check "the first removal's question is answered No" dismiss_window "Orvik Pendrel Uninstall Wizard" n 30 second
    timeout 60 tail --pid="$first" -f /dev/null
    win_wait
    check "product executable kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
    e2e_machine_allow '^file C:/users/[^/]+/Temp/Orvik Pendrel Uninstall\.log '
}

case_quiet_nothing_installed_gives_1605() {
    e2e_machine_expect kept
    local code
    code=$(win "$KIT\\footprint.exe" run-wait "$KIT\\Uninstall.exe" "/quiet" | sed -n 's/^exit //p')
    win_wait
    check "exit code" equals "$code" "1605"
    e2e_machine_allow '^file C:/users/[^/]+/Temp/Orvik Pendrel Uninstall\.log '
}
