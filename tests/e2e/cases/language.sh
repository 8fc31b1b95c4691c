# The recorded language chooses the texts of the message boxes; without its file the built-in
# English texts appear.

GERMAN_CAPTION="Orvik Pendrel Deinstallations-Assistent"
ENGLISH_CAPTION="Orvik Pendrel Uninstall Wizard"

# Runs the uninstaller interactively, answers the confirmation with Yes and closes the
# completion message; both must carry the caption $1. Screenshots are kept as $2-*.png.
run_interactive_expecting_caption() {
    local caption=$1 shots=$2
    win "$PRODUCT_DIR\\Uninstall.exe" &
    local run=$!
    check "confirmation titled [$caption]" dismiss_window "$caption" y 30 "$shots-confirmation"
    # The wizard carries the same caption; the completion box is the second window with it.
    check "completion message titled [$caption]" wait_for_titled_windows "$caption" 2 60 "$shots-completion"
    check "run ends once the boxes are answered" answer_boxes_until_done "$caption" "$run" Return 60 ||
        "$WINESERVER" -k
    wait "$run"
    win_wait
}

case_language_german_file_gives_german_boxes() {
    footprint_install --with lang --lang 40816
    check "German file installed" exists "$PRODUCT_DIR\\lang\\uninst_lang_de_de.xml"
    run_interactive_expecting_caption "$GERMAN_CAPTION" language-german
    check "product executable removed" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
}

case_language_number_with_high_bits_selects_german() {
    footprint_install --with lang --lang $((65536 + 40816))
    run_interactive_expecting_caption "$GERMAN_CAPTION" language-german-high-bits
}

case_language_missing_file_gives_english_boxes() {
    footprint_install --with lang --lang 40816
    rm -f "$(unix_path "$PRODUCT_DIR\\lang\\uninst_lang_de_de.xml")"
    check "German file removed" missing "$PRODUCT_DIR\\lang\\uninst_lang_de_de.xml"
    run_interactive_expecting_caption "$ENGLISH_CAPTION" language-missing-file
}

# A record stored without its trailing backslash still leads to the product's language files.
case_language_record_without_trailing_backslash_gives_german_boxes() {
    footprint_install --with lang --lang 40816 --install-record "$PRODUCT_DIR"
    run_interactive_expecting_caption "$GERMAN_CAPTION" language-record-without-backslash
}

# Without a record the texts are the built-in ones: language files that any process could place
# in the temporary, profile or current directory, or at the drive root, are not read.
case_language_forged_files_without_record_give_english_boxes() {
    footprint_install --with lang --lang 40816 --install-record ''
    # Without a record the program files stay by design; the forged language files are this
    # case's own planting.
    e2e_machine_expect kept
    e2e_machine_allow '^(dir  |file )C:/(users/[^/]+/(Temp/)?|windows/system32/)?lang(/uninst_lang_de_de\.xml .*)?$'
    # Nor can the run say they are gone: it ends "partly removed", with the details in the log.
    e2e_machine_allow '^file C:/users/[^/]+/Temp/Orvik Pendrel Uninstall\.log '
    local forged='<?xml version="1.0" encoding="UTF-8"?><Language><Strings><String id="5" text="Forged question"/><String id="12" text="Forged Caption"/><String id="8" text="Forged"/></Strings></Language>'
    local dir
    for dir in "$WINEPREFIX/drive_c" "$WINEPREFIX"/drive_c/users/*/Temp "$WINEPREFIX"/drive_c/users/*/AppData/.. \
        "$WINEPREFIX/drive_c/windows/system32"; do
        mkdir -p "$dir/lang"
        echo "$forged" >"$dir/lang/uninst_lang_de_de.xml"
    done
    run_interactive_expecting_caption "$ENGLISH_CAPTION" language-forged-files
    check "no box with the forged caption remains" test -z "$(xdotool search --name '^Forged Caption$' 2>/dev/null)"
    check "the log says the program files could not be looked for" \
        grep -aq 'left: program files (no install record names their directory)' "$WINEPREFIX"/drive_c/users/*/Temp/"Orvik Pendrel Uninstall.log"
}
