# A place with more than one name. Wine gives a drive letter to a folder through a link in
# dosdevices (as winecfg does); two letters on one folder play a subst drive: a handle opened
# through either names the place by the letter Wine finds first (the lowest), so the letter the
# product was installed through is not the name its handles' final paths give. The removal
# judges the first directory of each walk against the root's own final path, and works there.

# Two letters, M: and P:, on C:\Mounts\Data; prints nothing.
volumes_two_letters() {
    mkdir -p "$WINEPREFIX/drive_c/Mounts/Data"
    ln -s ../drive_c/Mounts/Data "$WINEPREFIX/dosdevices/m:"
    ln -s ../drive_c/Mounts/Data "$WINEPREFIX/dosdevices/p:"
    # Made by the case before the product, and kept by the removal as everything not its own.
    e2e_machine_allow '^dir  C:/Mounts(/Data)?$'
}

# Runs "$1" with arguments $2 from a Windows launcher; prints its exit code.
volumes_run() { win "$KIT\\footprint.exe" run-wait "$1" "$2" | sed -n 's/^exit //p'; }

case_volumes_product_installed_through_a_second_letter_is_removed_whole() {
    volumes_two_letters
    local dir='P:\Orvik Pendrel'
    footprint_install --install-dir "$dir" --exist-path 'P:\'
    check "the product lies in the folder" exists 'C:\Mounts\Data\Orvik Pendrel\Orvik Pendrel.exe'
    local code
    code=$(volumes_run "$dir\\Uninstall.exe" '/quiet /log "P:\uninstall.log"')
    win_wait
    check "exit code" equals "$code" "0"
    # The report, not footprint's status: win's pipe through tr gives tr's.
    check "nothing of the product left, nothing foreign lost" equals \
        "$(footprint check --install-dir "$dir" --exist-path 'P:\')" ""
    check "the install directory is gone" missing 'C:\Mounts\Data\Orvik Pendrel'
    local log=$WINEPREFIX/drive_c/Mounts/Data/uninstall.log
    check "the log is written where it was asked for" test -f "$log"
    check "the log ends with the outcome" bash -c "tr -d '\\r' <\"\$1\" | tail -n 1 | grep -qx 'outcome: 0 (everything of the product is removed)'" _ "$log"
    check "the log lists Readme.txt as removed" grep -qiF 'removed: file M:\Orvik Pendrel\Readme.txt' "$log"
    e2e_machine_allow '^file C:/Mounts/Data/uninstall\.log '
}

# A PDF the user saved in the install directory stays with its directory, and the run ends 0.
case_volumes_users_pdf_in_the_install_directory_is_kept_and_the_run_ends_0() {
    footprint_install
    local pdf
    pdf=$(unix_path "$PRODUCT_DIR\\Statement 2023.pdf")
    printf '%%PDF-1.4 the user\x27s\n' >"$pdf"
    local code
    code=$(volumes_run "$PRODUCT_DIR\\Uninstall.exe" '/quiet /log "C:\uninstall.log"')
    win_wait
    check "exit code" equals "$code" "0"
    check "the user's PDF is kept" test -f "$pdf"
    # Only the directories that hold the user's file stay.
    check "nothing of the product left but the directories of the user's file, nothing foreign lost" equals \
        "$(footprint check | grep -vxF -e 'product present dir C:\Program Files\Orvik Software\Orvik Pendrel' \
            -e 'product present dir C:\Program Files\Orvik Software')" ""
    local log
    log=$(unix_path 'C:\uninstall.log')
    check "the log says the PDF is kept" grep -qiF "kept: file $PRODUCT_DIR\\Statement 2023.pdf" "$log"
    check "the log names nothing left" bash -c "! grep -q '^left: ' \"\$1\"" _ "$log"
    # The user's file and the directories that hold it stay by design.
    e2e_machine_allow '^file C:/uninstall\.log ' '^file C:/Program Files/Orvik Software/Orvik Pendrel/Statement 2023\.pdf ' \
        '^dir  C:/Program Files/Orvik Software(/Orvik Pendrel)?$'
}
