# The file side after a silent run: shortcuts, program files, add-ons, data directories, the
# plug-in uninstaller's run, and what must stay.

PLUGIN_LOG="$KIT\\plugin_uninstaller.log"

# The kit's copy runs, so that the installed Uninstall.exe is an ordinary program file here
# whatever the start-up does with its own executable.
files_silent_uninstall() {
    win "$KIT\\installer_host.exe" "$KIT\\Uninstall.exe" --timeout 90 >/dev/null
    win_wait
}

# Prints the file side's problems for the given options; succeeds when there are none.
files_footprint_clean() {
    local out
    out=$(footprint check --only files "$@")
    [ -z "$out" ] || { echo "$out" | sed 's/^/      /'; return 1; }
}

plugin_runs() { [ -f "$(unix_path "$PLUGIN_LOG")" ] && tr -d '\r' <"$(unix_path "$PLUGIN_LOG")" || true; }

case_files_silent_run_removes_the_file_side() {
    footprint_install
    check "footprint laid down" exists "$PRODUCT_DIR\\Stamps\\Sign Here\\Sign Here.pdf"
    check "plug-in stub placed" exists "$PRODUCT_DIR\\UnPDFReaderPlugin.exe"
    files_silent_uninstall
    check "nothing of the product left, nothing foreign lost" files_footprint_clean
    check "install directory gone" missing "$PRODUCT_DIR"
    check "created parent gone" missing 'C:\Program Files\Orvik Software'
    check "existing path kept" exists 'C:\Program Files'
    local runs
    runs=$(plugin_runs)
    check "plug-in uninstaller run once" equals "$(printf '%s\n' "$runs" | grep -c .)" 1
    check "plug-in uninstaller command line" equals "${runs##*UnPDFReaderPlugin.exe\"}" \
        "  -p $PRODUCT_DIR\\plugins\\"
}

case_files_foreign_items_keep_their_directories() {
    local variants=(--with foreign-stamp --with foreign-start-menu --with foreign-lex --with foreign-lang)
    footprint_install "${variants[@]}"
    files_silent_uninstall
    check "only the expected leftovers" files_footprint_clean "${variants[@]}"
    check "user's stamp kept" exists "$PRODUCT_DIR\\Stamps\\Standard Stamps\\My Stamp.png"
    check "PDF stamps gone" missing "$PRODUCT_DIR\\Stamps\\Standard Stamps\\Approved.pdf"
    check "empty stamp set gone" missing "$PRODUCT_DIR\\Stamps\\Sign Here"
    check "install directory kept" exists "$PRODUCT_DIR"
    check "language files gone" missing "$PRODUCT_DIR\\lang\\uninst_lang_en_us.xml"
    check "program files gone" missing "$PRODUCT_DIR\\Uninstall.exe"
    footprint report "${variants[@]}" >"$E2E_ARTIFACTS/files-foreign-report.txt"
}

case_files_second_plugin_name_failing_still_removes_the_plugin() {
    footprint_install --with second-plugin-name
    printf '9' >"$(unix_path "$KIT\\plugin_uninstaller_exit.txt")"
    files_silent_uninstall
    check "nothing of the product left" files_footprint_clean --with second-plugin-name
    local runs
    runs=$(plugin_runs)
    check "plug-in uninstaller run once" equals "$(printf '%s\n' "$runs" | grep -c .)" 1
    check "second name run" equals "${runs##*UninstallPDFReaderPlugin.exe\"}" "  -p $PRODUCT_DIR\\plugins\\"
}

# An empty "ExistPath": every parent of the install directory is tried, only empty ones go, and
# the walk ends before the drive.
case_files_empty_exist_path_removes_only_empty_parents() {
    footprint_install --exist-path ''
    mkdir -p "$(unix_path 'C:\Program Files\Orvik Software\Other Product')"
    # Another product's directory, put there after the product was laid down.
    e2e_machine_allow '^dir  C:/Program Files/Orvik Software(/Other Product)?$'
    files_silent_uninstall
    check "file side clean" files_footprint_clean --exist-path ''
    check "install directory gone" missing "$PRODUCT_DIR"
    check "parent holding another product kept" exists 'C:\Program Files\Orvik Software\Other Product'
    check "Program Files kept" exists 'C:\Program Files'
    check "Windows kept" exists 'C:\windows\system32'
}
