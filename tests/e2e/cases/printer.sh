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

silent_uninstall() { win "$KIT\\installer_host.exe" "$PRINTER_UNINSTALLER" --timeout 60 | tr '\n' ' '; win_wait; }

case_printer_side_installs_for_real() {
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
    sleep 2
    check "completion shown, no printer prompt before it" dismiss_window "Orvik Pendrel Uninstall Wizard" Return 30 printer-done
    check "no printer prompt" equals "$(xdotool search --name '^Orvik Pendrel Printer$' 2>/dev/null | wc -l)" "0"
    wait "$run"
    win_wait
    check "DllUnregisterServer ran once" equals "$(addin_unregistrations)" "1"
    check "add-in deleted" missing "$PRODUCT_DIR\\KPC_WordAddin.dll"
}
