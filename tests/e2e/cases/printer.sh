# The virtual printer: printers on the product's driver, the driver, its files, the port and the
# Word add-in, removed through the real spooler; another maker's printer stays.

PRINTER_UNINSTALLER="$PRODUCT_DIR\\Uninstall.exe"
ADDIN_LOG='C:\e2e\word_addin.log'

# The printer side of the footprint report: printers, drivers, ports, driver files, the add-in.
printer_report() {
    footprint report "$@" | grep -E '^(product|foreign) (present|gone) (printer|driver|port) |spool\\drivers|KPC_WordAddin'
}

# Lines of the printer side's report matching $1 (a grep pattern), on stdout; true when none.
printer_none() {
    local pattern=$1
    shift
    local found
    found=$(printer_report "$@" | grep -E "$pattern")
    [ -z "$found" ] || { echo "$found"; return 1; }
}

addin_unregistrations() {
    local log
    log=$(unix_path "$ADDIN_LOG")
    [ -f "$log" ] || { echo 0; return; }
    grep -c '^DllUnregisterServer' "$log"
}

silent_uninstall_nowait() { win "$KIT\\installer_host.exe" "$PRINTER_UNINSTALLER" --timeout 60 | tr '\n' ' '; }
silent_uninstall() { silent_uninstall_nowait; win_wait; }

case_printer_side_installs_for_real() {
    e2e_machine_expect kept  # nothing is removed here
    footprint_install --with foreign-printer
    # Everything present but the temporary names that only a removal makes.
    check "whole printer side installed" equals \
        "$(printer_report --with foreign-printer | grep -v kvTmp | grep -c ' gone ')" "0"
    check "two product printers" equals "$(printer_report | grep -c '^product present printer')" "2"
}

case_printer_silent_run_removes_printer_side() {
    footprint_install --with foreign-printer
    check "codes received" equals "$(silent_uninstall)" "1 2 4 6 7 8 9 10 "
    check "printers, driver, port, driver files and add-in gone" printer_none '^product present' --with foreign-printer
    check "foreign printer, its driver, port and files kept" printer_none '^foreign gone' --with foreign-printer
    check "DllUnregisterServer ran once" equals "$(addin_unregistrations)" "1"
    check "add-in deleted" missing "$PRODUCT_DIR\\KPC_WordAddin.dll"
}

# Wine's spooler reports a driver that is not installed as "not found" rather than 1797; the
# interactive run must not meet the driver prompt for it.
case_printer_interactive_run_without_printer_asks_nothing() {
    footprint_install --with no-printer
    win "$PRINTER_UNINSTALLER" &
    local run=$!
    check "confirmation shown" dismiss_window "Orvik Pendrel Uninstall Wizard" Return 30 printer-confirm
    # Every later box (the completion box) is answered; a printer prompt must never appear.
    check "run ends with no printer prompt" \
        answer_boxes_until_done "Orvik Pendrel Uninstall Wizard" "$run" Return 60 "Orvik Pendrel Printer" ||
        "$WINESERVER" -k
    wait "$run"
    win_wait
    check "DllUnregisterServer ran once" equals "$(addin_unregistrations)" "1"
    check "add-in deleted" missing "$PRODUCT_DIR\\KPC_WordAddin.dll"
}

# A driver file held as a running program holds its executable: renamed at once, so that its
# name is free, and the temporary name left to be deleted at the next restart.
case_printer_held_driver_file_goes_at_restart() {
    footprint_install
    # The held file under its temporary name, and Windows' list of renames at the next restart.
    e2e_machine_allow '^file C:/windows/system32/spool/drivers/x64/3/kvTmp4\.tmp ' \
        '^value HKLM\\System\\CurrentControlSet\\Control\\Session Manager "PendingFileRenameOperations"=.*kvTmp4\.tmp'
    local installed='C:\windows\system32\spool\drivers\x64\3'
    local out=$E2E_ROOT/holder-$BASHPID.txt
    # Straight from Wine, unbuffered, so that "holding" can be seen while it holds.
    "$WINE" "$KIT\\footprint.exe" hold-module "$installed\\KVC_ProxyProcess.exe" 30 >"$out" 2>>"$E2E_STDERR" &
    local holder=$!
    for _ in $(seq 50); do grep -q holding "$out" 2>/dev/null && break; sleep 0.2; done
    check "proxy process held" grep -q holding "$out"
    check "codes received" equals "$(silent_uninstall_nowait)" "1 2 4 6 7 8 9 10 "
    check "installed name free" missing "$installed\\KVC_ProxyProcess.exe"
    check "temporary name still there" exists "$installed\\kvTmp4.tmp"
    check "temporary name to be deleted at restart" \
        grep -qi 'spool\\drivers\\x64\\3\\kvTmp4.tmp' <<<"$(win reg query \
            'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations)"
    check "other installed files gone" equals "$(ls "$(unix_path "$installed")" | grep -c ozrvpr_)" "0"
    check "printers, driver and port gone" printer_none '^product present (printer|driver|port) '
    kill "$holder" 2>/dev/null
    rm -f "$out"
}

# Without a printer, driver, port or driver file of the product the spooler is left alone: its
# libraries are never loaded. The Word add-in still goes.
case_printer_absent_leaves_the_spooler_alone() {
    footprint_install --with no-printer
    local trace=$E2E_ROOT/loaddll-$BASHPID.txt
    local codes
    codes=$(WINEDEBUG=+loaddll "$WINE" "$KIT\\installer_host.exe" "$PRINTER_UNINSTALLER" --timeout 60 2>"$trace" |
        tr -d '\r' | tr '\n' ' ')
    win_wait
    check "codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "the libraries were traced" grep -q 'Loaded L".*shell32.dll' "$trace"
    check "the spooler's library never loaded" equals "$(grep -ci 'winspool' "$trace")" "0"
    check "DllUnregisterServer ran once" equals "$(addin_unregistrations)" "1"
    check "add-in deleted" missing "$PRODUCT_DIR\\KPC_WordAddin.dll"
    rm -f "$trace"
}

# The spooler's records alone (the driver's files taken away beforehand) still lead the step to
# the spooler, which removes the printers, the driver and the port.
case_printer_records_without_files_still_removed() {
    footprint_install
    local driver_dir
    driver_dir=$(unix_path 'C:\windows\system32\spool\drivers\x64')
    rm -f "$driver_dir"/ozrvpr_* "$driver_dir"/3/ozrvpr_* "$driver_dir"/3/KVC_ProxyProcess.exe
    check "codes received" equals "$(silent_uninstall)" "1 2 4 6 7 8 9 10 "
    check "printers, driver and port gone" printer_none '^product present (printer|driver|port) '
}

# Driver files without any record (staged by an installation that never added the driver, or
# left for a restart by an earlier removal) are removed all the same.
case_printer_driver_files_without_records_removed() {
    footprint_install --with no-printer
    local staged='C:\windows\system32\spool\drivers\x64\ozrvpr_ui.dll'
    local left='C:\windows\system32\spool\drivers\x64\3\kvTmp4.tmp'
    mkdir -p "$(dirname "$(unix_path "$left")")"
    echo staged >"$(unix_path "$staged")"
    echo left >"$(unix_path "$left")"
    check "codes received" equals "$(silent_uninstall)" "1 2 4 6 7 8 9 10 "
    check "staged driver file gone" missing "$staged"
    check "temporary name gone" missing "$left"
}
