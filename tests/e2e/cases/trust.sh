# What the user running the removal prefers or marks does not change what of the product goes:
# machine-wide associations are judged by what they name, program files by whose they are.

# Runs the installed uninstaller with arguments $1 from a Windows launcher; prints its exit code.
trust_quiet_run() {
    win "$KIT\\footprint.exe" run-wait "$PRODUCT_DIR\\Uninstall.exe" "$1" | sed -n 's/^exit //p'
}

# The default value, or value $2, of key $1 as "reg query" prints it (empty when absent).
trust_reg_value() {
    if [ -n "${2:-}" ]; then win reg query "$1" /v "$2" 2>/dev/null; else win reg query "$1" /ve 2>/dev/null; fi |
        sed -n 's/^ *\([^ ].*\) *REG_[A-Z_]* *\(.*\)$/\2/p'
}

# True when nothing text $1 holds names the product's ProgIDs or class identifiers.
trust_names_nothing_of_the_product() {
    ! grep -qiE 'OrvikPendrel\.|3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936|C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8' <<<"$1" || {
        echo "    still naming the product: $1"
        return 1
    }
}

# True when "attrib" shows the file $1 read-only (the letters before its path).
trust_is_read_only() {
    local shown
    shown=$(win cmd /c attrib "$1")
    grep -qE '^[A-Z ]*R[A-Z ]* [A-Za-z]:' <<<"$shown" || { echo "    attrib shows: $shown"; return 1; }
}

TRUST_CHOICE='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.pdf\UserChoice'

# The administrator who runs the removal prefers another reader: their own choice names it. Every
# machine-wide value that names the product goes all the same (the records step deletes the
# ProgIDs they name), and the other reader's choice and registration stay.
case_trust_administrators_choice_of_another_reader_leaves_no_product_value() {
    footprint_install
    win reg add 'HKLM\Software\Classes\Trust.Reader\shell\open\command' /ve /d '"C:\Program Files\Trust Reader\reader.exe" "%1"' /f >/dev/null
    win reg add "$TRUST_CHOICE" /v Progid /d Trust.Reader /f >/dev/null
    check "the administrator's choice names the other reader" equals "$(trust_reg_value "$TRUST_CHOICE" Progid)" "Trust.Reader"
    check "the machine's .pdf names the product before the run" equals \
        "$(trust_reg_value 'HKLM\Software\Classes\.pdf')" "OrvikPendrel.Document"

    local code
    code=$(trust_quiet_run "/quiet /log C:\\trust.log")
    win_wait
    check "exit code" equals "$code" "0"
    local key
    for key in 'HKLM\Software\Classes\.pdf' 'HKLM\Software\Classes\.fdf'; do
        check "$key names nothing of the product" trust_names_nothing_of_the_product "$(trust_reg_value "$key")"
    done
    for key in 'HKLM\Software\Classes\MIME\Database\Content Type\application/pdf' \
               'HKLM\Software\Classes\MIME\Database\Content Type\application/vnd.fdf'; do
        check "$key's class identifier is not the product's" trust_names_nothing_of_the_product \
            "$(trust_reg_value "$key" CLSID)"
    done
    check "no 'open with' entry names the product" trust_names_nothing_of_the_product \
        "$(win reg query 'HKLM\Software\Classes\.pdf\OpenWithProgids' 2>/dev/null)"
    check "the other reader's 'open with' entry stays" grep -qF 'OtherReader.Document' \
        <<<"$(win reg query 'HKLM\Software\Classes\.pdf\OpenWithProgids' 2>/dev/null)"
    check "the administrator's choice stays" equals "$(trust_reg_value "$TRUST_CHOICE" Progid)" "Trust.Reader"
    check "the other reader's open command stays" grep -qF 'reader.exe' \
        <<<"$(trust_reg_value 'HKLM\Software\Classes\Trust.Reader\shell\open\command')"
    # The footprint counts the user's choice as the product's place; it names the other reader now.
    check "nothing else of the product left, nothing foreign lost" test -z \
        "$(footprint check | grep -E '^(product|foreign|unwanted) ' | grep -vF 'UserChoice')"
    check "the log lists the .pdf association as removed" grep -qF \
        'removed: value HKLM\Software\Classes\.pdf\(default)' "$(unix_path 'C:\trust.log')"
    check "the log keeps no association back" bash -c '! grep -q "^kept: " "$1"' _ "$(unix_path 'C:\trust.log')"
    # The other reader's registration and the administrator's choice of it stay, as does the log.
    e2e_machine_allow '^(key   |value )HKLM\\Software\\Classes\\Trust\.Reader' \
        '^value HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\\.pdf\\UserChoice "Progid"="Trust\.Reader"$' \
        '^file C:/trust\.log '
}

# Read-only, hidden and system program files go like any other; the product's executable too.
case_trust_read_only_hidden_and_system_program_files_are_removed() {
    footprint_install
    local name
    for name in Readme.txt config.xml InOther.exe 'Orvik Pendrel.exe'; do
        local flag
        for flag in +h +s +r; do win cmd /c attrib $flag "$PRODUCT_DIR\\$name" >/dev/null; done
        check "$name is read-only before the run" trust_is_read_only "$PRODUCT_DIR\\$name"
    done

    local code
    code=$(trust_quiet_run "/quiet /log C:\\trust.log")
    win_wait
    check "exit code" equals "$code" "0"
    for name in Readme.txt config.xml InOther.exe 'Orvik Pendrel.exe'; do
        check "$name is gone" missing "$PRODUCT_DIR\\$name"
    done
    check "the install directory is gone" missing "$PRODUCT_DIR"
    check "nothing of the product left, nothing foreign lost" footprint check
    check "the log lists Readme.txt as removed" grep -qF "removed: file $PRODUCT_DIR\\Readme.txt" \
        "$(unix_path 'C:\trust.log')"
    e2e_machine_allow '^file C:/trust\.log '
}

# The user's temporary directory, as the user's own environment names it (HKCU\Environment, from
# which an elevated process's environment is made too).
trust_user_temp() { win cmd /c 'echo %TEMP%'; }

# The user sets TEMP to a directory whose name holds every switch: nothing of it reaches the
# copy's command line, and the quiet run stays quiet, removes the product and only then ends 0.
case_trust_temp_named_with_every_switch_keeps_the_mode() {
    footprint_install
    local temp
    temp="$(trust_user_temp)\\-UninstForInst-InstallerPid=1-DeletingNow"
    mkdir -p "$(unix_path "$temp")"
    win reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d "$temp" /f >/dev/null
    win reg add 'HKCU\Environment' /v TMP /t REG_SZ /d "$temp" /f >/dev/null
    "$WINESERVER" -w
    check "the user's TEMP reaches the processes" equals "$(trust_user_temp)" "$temp"
    local code
    code=$(trust_quiet_run "/quiet")
    win_wait
    check "exit code" equals "$code" "0"
    check "nothing of the product left, nothing foreign lost" equals "$(footprint check)" ""
    check "no copy left there" test -z "$(ls "$(unix_path "$temp")" | grep -iE '^orv[0-9A-Fa-f]+\.(exe|tmp)$')"
    check "the quiet log written there" test -f "$(unix_path "$temp")/Orvik Pendrel Uninstall.log"
    e2e_machine_allow '^(dir  |file )C:/users/[^/]+/Temp/-UninstForInst' '^value HKCU\\Environment "(TEMP|TMP)"='
}

# The user's Temp is a link to the system directory: nothing is written there, the removal runs
# from the install directory, and the log, made in the machine's temporary directory, says why.
case_trust_temp_a_link_to_the_system_directory_gets_nothing() {
    footprint_install
    local temp system before code
    temp=$(unix_path "$(trust_user_temp)")
    system=$WINEPREFIX/drive_c/windows/system32
    before=$(ls "$system" | LC_ALL=C sort)
    rm -rf "$temp"
    ln -s ../../windows/system32 "$temp"
    code=$(trust_quiet_run "/quiet")
    win_wait
    rm "$temp"
    mkdir "$temp"
    check "exit code" equals "$code" "0"
    check "nothing new in the system directory" equals "$(ls "$system" | LC_ALL=C sort)" "$before"
    check "nothing of the product left, nothing foreign lost" equals "$(footprint check)" ""
    local log=$WINEPREFIX/drive_c/windows/temp/Orvik\ Pendrel\ Uninstall.log
    check "the log in the machine's temporary directory says why" grep -q 'runs from the install directory' "$log"
    e2e_machine_allow '^file C:/windows/temp/Orvik Pendrel Uninstall\.log '
}

# A reader holds the installed uninstaller without sharing its deletion: everything else goes,
# the uninstaller waits for the next restart, and the run says 3010; the restart takes it.
case_trust_a_held_uninstaller_goes_at_the_restart() {
    footprint_install
    check "the uninstaller is held" hold_file "$PRODUCT_DIR\\Uninstall.exe" 60 || return 1
    local code
    code=$(trust_quiet_run "/quiet /log C:\\held.log")
    kill "$HOLDER" 2>/dev/null
    wait "$HOLDER" 2>/dev/null
    win_wait
    check "exit code" equals "$code" "3010"
    check "the log names it for the restart" grep -qF 'scheduled at restart: file C:\Program Files\Orvik Software\Orvik Pendrel\Uninstall.exe' \
        "$(unix_path 'C:\held.log')"
    check "it stays until the restart" exists "$PRODUCT_DIR\\Uninstall.exe"
    win wineboot -r >/dev/null
    "$WINESERVER" -w
    check "the restart takes it" missing "$PRODUCT_DIR\\Uninstall.exe"
    e2e_machine_allow '^file C:/held\.log ' '^dir  C:/Program Files/Orvik Software'
}
