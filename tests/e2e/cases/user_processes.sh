# The uninstaller runs elevated; an unelevated process of the same user may change HKCU and may
# create named pipes. Nothing such a process does may send a removal elsewhere, hold the run or
# take its codes.

# Each line of "footprint report" that speaks of a planted victim: they must all be present.
victims_present() {
    local report missing
    report=$(footprint report --with registry-links-above)
    missing=$(grep -E '^foreign gone value HKLM\\Software\\Orvik Footprint (Vendor|Uninstall) Victim' <<<"$report")
    [ -z "$missing" ] || { echo "$missing" | sed 's/^/    /'; return 1; }
    grep -qE '^foreign present value HKLM\\Software\\Orvik Footprint Vendor Victim\\Orvik Pendrel\\Deep\\Deeper ' \
        <<<"$report"
}

# The user's vendor key and "Uninstall" key made links to keys of the machine's holding the
# product's names: those keys stay whole, and the product's own keys under HKLM go.
case_user_processes_registry_links_above_the_product_keys_lead_nowhere() {
    footprint_install --with registry-links-above
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 | tr '\n' ' ')
    win_wait
    check "codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "the machine's keys behind the links stay whole" victims_present
    check "the product's machine keys go" \
        bash -c "! grep -qE '^product present key HKLM' <<<\"\$1\"" _ "$(footprint report --with registry-links-above)"
}

# A server of the pipe that accepts and never reads holds the run for a few seconds at most.
case_user_processes_pipe_server_that_never_reads_holds_nothing() {
    footprint_install
    local out start=$SECONDS
    out=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 --never-read)
    win_wait
    check "the server was reached" grep -qx connected <<<"$out"
    check "the run let go of the pipe" grep -qx 'client gone' <<<"$out"
    check "the run ended within 30 s" test $((SECONDS - start)) -le 30
    check "nothing of the product left, nothing foreign lost" footprint check
}

# Another process created the pipe's name before the installer and keeps an instance listening:
# it hears nothing, and the product goes only while the installer hears the codes.
case_user_processes_squatter_on_the_pipe_hears_nothing() {
    footprint_install
    local squat=$E2E_ROOT/squat-$BASHPID.txt
    "$WINE" "$KIT\\installer_host.exe" --squat 60 >"$squat" 2>>"$E2E_STDERR" &
    local squatter=$!
    check "the squatter listens" wait_for_line "$squat" '^listening' 60 "the squatter's pipe" || return 1
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 | tr '\n' ' ')
    kill "$squatter" 2>/dev/null
    wait "$squatter" 2>/dev/null
    win_wait
    check "the squatter heard nothing" bash -c "! grep -q squatted \"\$1\"" _ "$squat"
    if [ "$codes" = "1 2 4 6 7 8 9 10 " ]; then
        check "nothing of the product left, nothing foreign lost" footprint check
    else
        echo "    the installer heard nothing: the product must stay"
        e2e_machine_expect kept
        e2e_machine_allow '^file C:/users/[^/]+/Temp/orv[0-9A-Fa-f]+\.exe '
        check "the installer heard nothing at all" equals "$codes" ""
        check "product executable kept" exists "$PRODUCT_DIR\\Orvik Pendrel.exe"
    fi
    rm -f "$squat"
}

# The installer kept the record's doubled backslash and wrote the open commands from it: the
# associations go with the ProgIDs, and no ".pdf" value names a ProgID that is gone.
case_user_processes_doubled_backslash_record_takes_its_associations() {
    footprint_install --install-record "$PRODUCT_DIR\\\\" --with command-from-record
    check "the open command keeps the doubled backslash" grep -qF 'Orvik Pendrel\\Orvik Pendrel.exe' \
        <<<"$(win reg query 'HKLM\Software\Classes\OrvikPendrel.Document\shell\open\command' /ve)"
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 | tr '\n' ' ')
    win_wait
    check "codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "no .pdf value names the product" \
        bash -c "! grep -qi OrvikPendrel <<<\"\$1\"" _ "$(win reg query 'HKLM\Software\Classes\.pdf' /s)"
    check "nothing of the product left, nothing foreign lost" footprint check
}
