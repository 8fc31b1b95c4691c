# The copies run elevated, the temporary one from a directory that every process of the user
# can write to: neither trusts what such a process controls (the COMSPEC variable, libraries
# placed in the temporary directory), and each loads only the libraries its work needs.

# The user's temporary directory, as a Linux path.
user_temp_dir() {
    local dir
    for dir in "$WINEPREFIX"/drive_c/users/*/Temp; do
        [ -d "$dir" ] && { echo "$dir"; return 0; }
    done
    return 1
}

case_hardening_comspec_set_by_the_user_is_never_run() {
    footprint_install
    # A marker program: the plug-in uninstaller's stand-in logs every command line it is given.
    mkdir -p "$WINEPREFIX/drive_c/marker"
    cp "$WINEPREFIX/drive_c/e2e/plugin_uninstaller.exe" "$WINEPREFIX/drive_c/marker/marker.exe"
    win reg add 'HKCU\Environment' /v COMSPEC /t REG_SZ /d 'C:\marker\marker.exe' /f >/dev/null
    # The marker and the user's COMSPEC are the case's own, planted after laying down.
    e2e_machine_allow '^dir  C:/marker$' '^file C:/marker/marker\.exe ' '^value HKCU\\Environment "COMSPEC"='
    "$WINESERVER" -w
    check "COMSPEC reaches the processes of the session" equals "$(win cmd /c 'echo %COMSPEC%')" 'C:\marker\marker.exe'
    local codes
    codes=$(win "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 | tr '\n' ' ')
    win_wait
    check "codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "the marker never ran" marker_never_ran
    check "no copy left once every process ended" no_temp_copies
}

marker_never_ran() {
    local log=$WINEPREFIX/drive_c/e2e/plugin_uninstaller.log
    ! grep -qi 'marker' "$log" 2>/dev/null || { echo "    $(grep -i marker "$log")"; return 1; }
}

# Every library the uninstaller's processes load under Wine, planted in the temporary directory
# as a copy of the Word add-in stand-in, but kernelbase.dll, kernel32.dll and msvcrt.dll: Wine's
# loader resolves the executable's own imports through the executable's directory before any of
# its code runs (Windows maps these three from its KnownDLLs).
PLANTED_LIBRARIES="advapi32.dll combase.dll comctl32.dll compstui.dll gdi32.dll imm32.dll localspl.dll ole32.dll
    rpcrt4.dll sechost.dll shcore.dll shell32.dll shlwapi.dll spoolss.dll ucrtbase.dll user32.dll uxtheme.dll
    version.dll win32u.dll winex11.drv winspool.drv zlib1.dll"

# The quiet run's copy runs from the temporary directory; the installer's run never goes there.
case_hardening_libraries_planted_in_the_temporary_directory_are_never_loaded() {
    # The quiet run's log, in the user's temporary directory as every quiet run's.
    e2e_machine_allow '^file C:/users/[^/]+/Temp/Orvik Pendrel Uninstall\.log '
    footprint_install
    local temp name
    temp=$(user_temp_dir)
    for name in $PLANTED_LIBRARIES; do cp "$WINEPREFIX/drive_c/e2e/KPC_WordAddin.dll" "$temp/$name"; done
    local log=$E2E_ROOT/loaddll-$BASHPID.txt code codes
    code=$(WINEDEBUG=+loaddll "$WINE" "$KIT\\footprint.exe" run-wait "$PRODUCT_DIR\\Uninstall.exe" /quiet 2>"$log" |
        tr -d '\r' | sed -n 's/^exit //p')
    win_wait
    check "quiet: removed" equals "$code" 0
    check "quiet: the temporary copy ran" grep -qE 'Loaded L"C:\\\\users\\\\[^\\]+\\\\Temp\\\\orv[0-9A-Fa-f]+\.exe"' "$log"
    check "quiet: the copy's libraries were loaded" grep -qi 'system32\\\\winspool.drv' "$log"
    check "quiet: no library resolved from the temporary directory" no_library_from_temp "$log"
    check "quiet: the installed copy loads no window, drawing, shell, OLE or printer library" installed_copy_loads_little "$log"

    footprint_install
    codes=$(WINEDEBUG=+loaddll "$WINE" "$KIT\\installer_host.exe" "$PRODUCT_DIR\\Uninstall.exe" --timeout 60 \
        2>"$log" | tr -d '\r' | tr '\n' ' ')
    win_wait
    check "installer: codes received" equals "$codes" "1 2 4 6 7 8 9 10 "
    check "installer: no library resolved from the temporary directory" no_library_from_temp "$log"
    rm -f "$log"
    for name in $PLANTED_LIBRARIES; do rm -f "$temp/$name"; done
}

case_hardening_wizard_run_loads_no_library_from_the_temporary_directory() {
    footprint_install
    local temp name
    temp=$(user_temp_dir)
    for name in $PLANTED_LIBRARIES; do cp "$WINEPREFIX/drive_c/e2e/KPC_WordAddin.dll" "$temp/$name"; done
    local log=$E2E_ROOT/loaddll-$BASHPID.txt caption="Orvik Pendrel Uninstall Wizard" id
    # The installed copy waits for its copy, which asks.
    WINEDEBUG=+loaddll "$WINE" "$PRODUCT_DIR\\Uninstall.exe" </dev/null >/dev/null 2>"$log" &
    check "the copy asks for confirmation" dismiss_window "$caption" y 30 || return 1
    # The wizard ignores Return; the completion box takes it, and the wizard ends with it.
    for _ in $(seq 60); do
        grep -q 'cmd.exe' "$log" && break
        for id in $(xdotool search --name "^${caption}\$" 2>/dev/null); do xdotool key --window "$id" Return >/dev/null 2>&1; done
        sleep 0.5
    done
    win_wait
    check "the wizard's common controls were loaded" grep -qi 'common-controls.*comctl32.dll' "$log"
    check "the product was removed" missing "$PRODUCT_DIR\\Orvik Pendrel.exe"
    check "no library resolved from the temporary directory" no_library_from_temp "$log"
    rm -f "$log"
    for name in $PLANTED_LIBRARIES; do rm -f "$temp/$name"; done
}

no_library_from_temp() {
    local found
    found=$(grep -iE 'Loaded L"C:\\\\users\\\\[^\\]+\\\\Temp\\\\' "$1" | grep -viE 'Temp\\\\orv[0-9A-Fa-f]+\.exe"' || true)
    [ -z "$found" ] || { echo "$found" | sed 's/^/    /'; return 1; }
}

installed_copy_loads_little() {
    local pid loaded
    pid=$(grep -E 'Loaded L"C:\\\\Program Files\\\\Orvik Software\\\\Orvik Pendrel\\\\Uninstall.exe"' "$1" | head -n 1 | cut -d: -f1)
    [ -n "$pid" ] || { echo "    the installed copy is not in the log"; return 1; }
    loaded=$(grep "^$pid:" "$1" | grep -o 'Loaded L"[^"]*"' | sed 's/.*\\\\//; s/"$//' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
    echo "    installed copy: $loaded"
    ! grep -qE '(^| )(user32|gdi32|shell32|ole32|comctl32|winspool|uxtheme)\.' <<<"$loaded"
}
