# The registry side of the silent, installer-driven run: product keys and associations go, the
# vendor key and everything of other programs stays.

# The registry items of the footprint (files belong to other steps).
registry_items() { grep -E '^(product|foreign) (present|gone) (key|value) ' || true; }

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
