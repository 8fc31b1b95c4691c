# The registry side of the silent, installer-driven run: product keys and associations go, the
# vendor key and everything of other programs stays.

# The registry items of the footprint (files belong to other steps).
registry_items() { grep -E '^(product|foreign|unwanted) (present|gone) (key|value) ' || true; }

# Every registry item the footprint describes as the product's is there before the run.
registry_footprint_complete() {
    local missing
    missing=$(footprint report "$@" | registry_items | grep '^product gone' || true)
    [ -z "$missing" ] || { echo "$missing"; return 1; }
}

# Nothing of the product is left and nothing foreign is gone; the problems are printed.
registry_footprint_clean() {
    local problems
    problems=$(footprint check "$@" | registry_items)
    [ -z "$problems" ] || { echo "$problems"; return 1; }
}

registry_silent_run() {
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 | tr '\n' ' ')
    win_wait
    equals "$codes" "1 2 4 6 7 8 9 10 "
}

registry_key_present() { footprint report "${@:2}" | grep -qF "present key $1"; }

case_registry_silent_run_removes_product_keys_and_associations() {
    footprint_install
    check "footprint installed whole" registry_footprint_complete
    check "silent run completed" registry_silent_run
    check "no product key or association left, nothing foreign lost" registry_footprint_clean
    check "vendor key kept" registry_key_present 'HKLM\Software\Orvik Software'
}

case_registry_foreign_pdf_handler_keeps_its_associations() {
    footprint_install --with foreign-pdf-handler
    check "footprint installed whole" registry_footprint_complete --with foreign-pdf-handler
    check "silent run completed" registry_silent_run
    check "foreign associations kept, product ProgIDs removed" registry_footprint_clean --with foreign-pdf-handler
}

case_registry_link_in_product_key_is_removed_without_following_it() {
    footprint_install --with registry-link
    check "footprint installed whole" registry_footprint_complete --with registry-link
    check "link leads to the other key" registry_key_present 'HKCU\Software\Orvik Software\Orvik Pendrel\Linked' --with registry-link
    check "silent run completed" registry_silent_run
    check "link removed, the key it led to kept" registry_footprint_clean --with registry-link
}

# Another program opens ".pdf" and its ProgID has no open verb; the machine has no ".fdf", MIME
# or user-choice keys of the product's: looking for them creates none.
case_registry_reads_create_no_key() {
    footprint_install --with verbless-pdf-handler
    check "footprint installed whole, no read key there yet" registry_footprint_complete --with verbless-pdf-handler
    check "no read key there yet" test -z "$(footprint report --with verbless-pdf-handler | grep '^unwanted present')"
    check "silent run completed" registry_silent_run
    check "the other program's ProgID gained no key, no key appeared" registry_footprint_clean --with verbless-pdf-handler
}

# A link planted as an add-on record leads to another program's key: the record's deletion
# removes the link and leaves that key as it is.
case_registry_link_as_addon_record_is_removed_without_following_it() {
    footprint_install --with addon-record-link
    check "footprint installed whole" registry_footprint_complete --with addon-record-link
    check "link planted as the record" \
        registry_key_present 'HKCU\Software\Orvik Software\Orvik Pendrel\Updates List\Firefox Plugin' --with addon-record-link
    check "silent run completed" registry_silent_run
    check "link removed, the key it led to kept" registry_footprint_clean --with addon-record-link
}
