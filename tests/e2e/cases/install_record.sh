# The product's "InstallPath" record in every form it has been seen in: the forms Windows opens
# name the product's directory; a record that is there but names no directory of the product's
# removes nothing at all and reports -1; none of them lets a step reach anything outside the
# product.

RECORD_UNINSTALLER="$PRODUCT_DIR\\Uninstall.exe"

# Every file and directory of drive C: with its size, without the temporary copies a run leaves.
record_files_snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . -path './users/*/Temp/orv*' -prune -o -printf '%y %s %p\n' | sort)
}

# Every key and value of the registry once the prefix is at rest, without the times Wine stamps
# on keys and hives, and without what Wine keeps up to date by itself: the fonts it registers
# when a program first draws text, and the display adapter's device keys.
record_registry_snapshot() {
    "$WINESERVER" -w
    cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" | grep -v '^#time=' | sed -E 's/^(\[.*\]) [0-9]+$/\1/' |
        awk '/^\[/ { wine = ($0 ~ /\\\\Fonts(\]|\\\\)/ || $0 ~ /\\\\Control\\\\Class\\\\/) } !wine'
}

# Product-named files wherever a step could reach with a bad record: the drive root, the
# Windows and system directories, the profile, temporary and shell folders, and "Program Files"
# and "Users" on the parent walk's way up. Printed: the Windows paths planted.
RECORD_SENTINEL_NAMES=("Orvik Pendrel.exe" "Uninstall.exe" "Readme.txt" "config.xml" "KPC_WordAddin.dll"
    "kpdfcjk.bin" "kvdecod1.dll" "UpdaterInfo.xml" "UnPDFReaderPlugin.exe" "lex/accent.tlx"
    "lang/uninst_lang_en_us.xml" "Plugins/npOrvikReaderPlugin.dll" "Stamps/Sign Here/Sentinel.pdf"
    "plugins/OCR/KV_Abbyy_OCR.Dll")
record_sentinel_directories() {
    local c=$WINEPREFIX/drive_c profile
    printf '%s\n' "$c" "$c/windows" "$c/windows/system32" "$c/Program Files" "$c/users" "$c/ProgramData" \
        "$c/users/Public/Desktop"
    # The profiles: the directories of "users" that hold an AppData.
    for profile in "$c"/users/*/AppData; do
        profile=${profile%/AppData}
        printf '%s\n' "$profile" "$profile/Temp" "$profile/Desktop" "$profile/AppData/Roaming" "$profile/Documents"
    done
}

record_plant_sentinels() {
    local dir name
    while read -r dir; do
        for name in "${RECORD_SENTINEL_NAMES[@]}"; do
            mkdir -p "$(dirname "$dir/$name")"
            echo "sentinel" >"$dir/$name"
        done
    done < <(record_sentinel_directories)
}

# Takes the planted sentinels away again, and the directories planting them made, so that the
# whole-machine comparison sees only what the runs did.
record_remove_sentinels() {
    local dir name sub
    while read -r dir; do
        for name in "${RECORD_SENTINEL_NAMES[@]}"; do
            rm -f "$dir/$name"
            sub=$(dirname "$name")
            while [ "$sub" != . ]; do
                rmdir "$dir/$sub" 2>/dev/null || break
                sub=$(dirname "$sub")
            done
        done
    done < <(record_sentinel_directories)
}

# Every planted sentinel is still there; the missing ones are printed.
record_sentinels_intact() {
    local dir name lost=""
    while read -r dir; do
        for name in "${RECORD_SENTINEL_NAMES[@]}"; do
            [ -f "$dir/$name" ] || lost+="      ${dir#"$WINEPREFIX/drive_c"}/$name"$'\n'
        done
    done < <(record_sentinel_directories)
    [ -z "$lost" ] || { printf 'sentinels lost:\n%s' "$lost"; return 1; }
}

# Stores $1 as the record (the program files and records laid down again), runs the silent
# uninstall and prints the codes received on one line. An unusable record's box is answered.
record_run_with() {
    footprint install --only records --uninstaller "$KIT\\Uninstall.exe" --install-record "$1" >/dev/null
    silent_run_answering_boxes "$RECORD_UNINSTALLER"
}

# Prints the lines of $1 not in $2 and of $2 not in $1, each marked; succeeds when there are none.
record_same() {
    local difference
    difference=$(diff <(echo "$1") <(echo "$2") | grep '^[<>]' | head -40)
    [ -z "$difference" ] || { echo "$difference" | sed 's/^/      /'; return 1; }
}

record_path_of_length() {
    local length=$1 path='C:\Orvik Pendrel '
    while [ ${#path} -lt "$length" ]; do
        if [ $(( ${#path} % 100 )) -eq 99 ]; then path+='\'; else path+='x'; fi
    done
    echo "${path:0:$length}"
}

# (a) A doubled trailing backslash names the product's directory: the in-use check holds the
# run while the product runs, and the product goes whole once it has ended.
case_install_record_doubled_backslash_in_use_then_released() {
    # The first run stops at the in-use check and leaves its temporary copy behind.
    e2e_machine_allow '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe '
    footprint_install --install-record "$PRODUCT_DIR\\\\"
    local before
    before=$(footprint report)
    check "product executable held" hold_file "$PRODUCT_DIR\\Orvik Pendrel.exe" 8 || return 1
    local holder=$HOLDER
    local out=$E2E_ROOT/record-host-$BASHPID.txt
    win "$KIT\\installer_host.exe" "$RECORD_UNINSTALLER" --timeout 60 >"$out" &
    local host=$!
    check "message 6 shown" dismiss_window "Orvik Pendrel Uninstall Wizard" Return 30 record-doubled-in-use
    wait "$host"
    check "only -1 received" equals "$(tr '\n' ' ' <"$out")" "-1 "
    check "nothing removed" record_same "$(footprint report)" "$before"
    # The product ends: the holder lets go of its executable.
    wait "$holder" 2>/dev/null
    rm -f "$out"

    local codes
    codes=$(win "$KIT\\installer_host.exe" "$RECORD_UNINSTALLER" --timeout 60 | tr '\n' ' ')
    win_wait
    check "released: every code" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "install directory gone" missing "$PRODUCT_DIR"
    check "nothing of the product left, nothing foreign lost" footprint check
}

# (b) A drive root is no install directory: nothing at all goes, not even what needs none.
case_install_record_drive_root_removes_nothing() {
    e2e_machine_expect kept
    # A temporary copy that stops before the removal stays in the temporary directory.
    e2e_machine_allow '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe '
    footprint_install --install-record 'C:\'
    local before
    before=$(footprint report)
    local out=$E2E_ROOT/record-host-$BASHPID.txt
    win "$KIT\\installer_host.exe" "$RECORD_UNINSTALLER" --timeout 60 >"$out" &
    local host=$!
    # In every mode the run says why nothing was removed, as it does for the product in use.
    check "message 20 shown in silent mode" dismiss_window "Orvik Pendrel Uninstall Wizard" Return 30 record-root-message
    wait "$host"
    win_wait
    check "only -1 received" equals "$(tr '\n' ' ' <"$out")" "-1 "
    check "records, shortcuts, associations, printer and files intact" record_same "$(footprint report)" "$before"
    rm -f "$out"
}

# The same record interactively: the user is told why nothing happened.
case_install_record_unusable_is_explained_interactively() {
    e2e_machine_expect kept
    e2e_machine_allow '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe '
    footprint_install --install-record 'C:\Windows\'
    local before
    before=$(footprint report)
    win "$RECORD_UNINSTALLER" &
    local run=$!
    check "confirmation answered" dismiss_window "Orvik Pendrel Uninstall Wizard" y 30 record-unusable-confirm
    check "message 20 shown and closed" dismiss_window "Orvik Pendrel Uninstall Wizard" Return 30 record-unusable-message
    check "run ends" answer_boxes_until_done "Orvik Pendrel Uninstall Wizard" "$run" Return 30 || "$WINESERVER" -k
    wait "$run"
    win_wait
    check "nothing removed" record_same "$(footprint report)" "$before"
}

# Hostile records: every record that names no directory of the product's ends with -1 and
# changes nothing anywhere (every file of drive C:, every key and value); the records Windows
# opens as the product's directory remove the product and nothing else. The unusable ones are
# tried in two halves, one case each on a prefix of its own, so that the suite's lanes share them.
record_unusable_list() {
    printf '%s\n' '\' 'C:' 'C:\' 'C:\\' 'C:/' '\\?\C:\' 'C:\*' 'C:\Program Files\Orvik Software\Orvik?' \
        'C:\Windows\' 'C:\windows\system32' 'C:\Program Files\' 'C:\Users\' 'C:\users\root\Desktop' \
        'C:\users\root\Temp\' '.' '..\..\' 'Orvik Software\Orvik Pendrel' '\Program Files\Orvik Software\Orvik Pendrel' \
        'C:Orvik Pendrel' 'C:\Program Files\Orvik Software\..\..\' 'C:\Program Files\..\..\Orvik Pendrel' \
        '\\server\share\' '\\.\C:\Program Files\Orvik Software\Orvik Pendrel' \
        "$(record_path_of_length 259)" "$(record_path_of_length 260)" "$(record_path_of_length 300)"
}

# Runs the unusable records of half $1 (0 or 1) on the product laid down once.
record_try_unusable_half() {
    # Every record that ends with -1 leaves its temporary copy in the temporary directory.
    e2e_machine_expect kept
    e2e_machine_allow '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe '
    # Laying each record down writes the product's executable again.
    e2e_machine_allow '^file C:/Program Files/Orvik Software/Orvik Pendrel/Orvik Pendrel\.exe '
    footprint_install
    record_plant_sentinels
    local files_before registry_before
    files_before=$(record_files_snapshot)
    registry_before=$(record_registry_snapshot)
    local unusable=() record codes n=0
    mapfile -t unusable < <(record_unusable_list)
    for record in "${unusable[@]}"; do
        n=$((n + 1))
        [ $((n % 2)) -eq "$1" ] || continue
        codes=$(record_run_with "$record")
        check "[$record] (${#record} characters): only -1" equals "$codes" "-1"
        check "[$record]: no file changed" record_same "$(record_files_snapshot)" "$files_before"
    done
    # The product's own record again, for the comparison.
    footprint install --only records --uninstaller "$KIT\\Uninstall.exe" >/dev/null
    check "after the unusable records: no key or value changed" \
        record_same "$(record_registry_snapshot)" "$registry_before"
    check "after the unusable records: every sentinel intact" record_sentinels_intact
    record_remove_sentinels
}

case_install_record_hostile_records_unusable_even() { record_try_unusable_half 0; }
case_install_record_hostile_records_unusable_odd() { record_try_unusable_half 1; }

case_install_record_hostile_records_usable_forms() {
    # The last record is the empty one, which leaves the program files.
    e2e_machine_expect kept
    # Each record is tried on the program files laid down anew.
    e2e_machine_allow '^file C:/Program Files/Orvik Software/Orvik Pendrel/'
    footprint_install
    record_plant_sentinels
    local record codes
    # Forms Windows opens as the product's directory: the product goes whole.
    for record in "$PRODUCT_DIR." "$PRODUCT_DIR \\" "C:/Program Files/Orvik Software/Orvik Pendrel/" \
        '\\?\C:\Program Files\Orvik Software\Orvik Pendrel\'; do
        footprint_install --install-record "$record" >/dev/null
        codes=$(record_run_with "$record")
        win_wait
        check "[$record]: every code" equals "$codes" "1 2 4 6 7 8 9 10"
        check "[$record]: product removed, nothing foreign lost" footprint check
        check "[$record]: every sentinel intact" record_sentinels_intact
    done

    # A directory reached through a symbolic link: the product behind it goes, the link and
    # what else lies behind it stay.
    footprint_install >/dev/null
    echo "sentinel" >"$(unix_path 'C:\Program Files\Orvik Software\Other Product.txt')"
    ln -s "$(unix_path 'C:\Program Files\Orvik Software')" "$WINEPREFIX/drive_c/Linked Software"
    codes=$(record_run_with 'C:\Linked Software\Orvik Pendrel\')
    win_wait
    check "[link]: every code" equals "$codes" "1 2 4 6 7 8 9 10"
    check "[link]: product files gone" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "[link]: install directory gone" missing "$PRODUCT_DIR"
    check "[link]: the link stays" test -L "$WINEPREFIX/drive_c/Linked Software"
    check "[link]: its other content stays" exists 'C:\Program Files\Orvik Software\Other Product.txt'
    check "[link]: every sentinel intact" record_sentinels_intact

    # No record at all: the install directory is unknown; what needs none is removed.
    footprint_install --install-record '' >/dev/null
    codes=$(record_run_with '')
    win_wait
    check "[empty]: every code" equals "$codes" "1 2 4 6 7 8 9 10"
    check "[empty]: program files kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "[empty]: shortcuts removed" missing 'C:\users\Public\Desktop\Orvik Pendrel.lnk'
    check "[empty]: records removed" test -z "$(footprint report | grep '^product present key HKLM\\Software\\Orvik Software\\Orvik Pendrel$')"
    check "[empty]: every sentinel intact" record_sentinels_intact
    record_remove_sentinels
}
