# The whole machine before and after, for every end-to-end case: every directory and file
# under drive_c and every key and value of the prefix's registry, taken when the case's prefix
# is fresh, when the product has been laid down and when the case has ended. After a removal
# nothing may exist that did not exist before the product was laid down, and nothing that
# existed before may be gone or changed, except what E2E_MACHINE_ALLOWED names; a case whose
# run leaves the product (declined, refused, in use) says so with e2e_machine_expect kept, and
# then only what was there before or laid down may exist, and nothing laid down alongside the
# product of other programs may be gone. run.sh calls e2e_machine_check after each case.

# The machine as one sorted list of lines: every directory and file under drive_c (files with
# size and modification time), every registry key and value of the prefix's three hives.
e2e_machine_image() {
    (
        cd "$WINEPREFIX/drive_c" || exit 1
        find . -mindepth 1 \( -type d -printf 'dir  C:/%P\n' \) -o -printf 'file C:/%P %s %T@\n'
        e2e_registry_lines HKLM "$WINEPREFIX/system.reg"
        e2e_registry_lines HKCU "$WINEPREFIX/user.reg"
        e2e_registry_lines 'HKU\.Default' "$WINEPREFIX/userdef.reg"
    ) | LC_ALL=C sort -u
}

# A hive file of the prefix as "key ROOT\path" and "value ROOT\path "name"=data" lines; the
# keys' modification times are left out. Values continued over several lines are joined. Wine
# writes a section only for a key with values or without subkeys: every key above a section
# is listed too.
e2e_registry_lines() {
    [ -f "$2" ] || return 0
    awk -v root="$1" '
        function flush() { if (pending != "") print "value " key " " pending; pending = "" }
        /^\[/ {
            flush()
            path = $0
            sub(/^\[/, "", path); sub(/\] [0-9]+$/, "", path); sub(/\]$/, "", path)
            gsub(/\\\\/, "\\", path)
            key = root "\\" path
            n = split(path, parts, "\\")
            above = root
            for (i = 1; i <= n; i++) { above = above "\\" parts[i]; print "key   " above }
            continuing = 0
            next
        }
        continuing { line = $0; sub(/^ +/, "", line); pending = pending line; continuing = (pending ~ /\\$/); if (continuing) sub(/\\$/, "", pending); next }
        /^(@|")/ {
            flush()
            pending = $0
            continuing = (pending ~ /\\$/)
            if (continuing) sub(/\\$/, "", pending)
            next
        }
    END { flush() }' "$2"
}

# What may differ after a case however it went, as extended regular expressions over the
# image's lines. Each names who leaves it and why.
E2E_MACHINE_ALLOWED=(
    # Wine registers the system's fonts and its display devices anew in every session.
    '^value HKCU\\Software\\Wine\\Fonts\\'
    '^value HKLM\\Software\\Microsoft\\Windows( NT)?\\CurrentVersion\\Fonts '
    '^(key   |value )HKLM\\System\\CurrentControlSet\\Control\\Class\\'
    # Wine's spooler keeps the per-version key of the driver environment once a driver was in it.
    '^key   HKLM\\System\\CurrentControlSet\\Control\\Print\\Environments\\[^\\]+\\Drivers(\\Version-3)?$'
    # The association step deletes the values that still name the product and leaves the keys
    # that held them (another program may use them): the installer created these for ".fdf"
    # and for the user's ".pdf" choice.
    '^key   HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\\.(pdf|fdf)(\\UserChoice|\\OpenWithProgids)?$'
    '^key   HKLM\\Software\\Classes\\\.fdf(\\OpenWithProgids)?$'
    '^key   HKLM\\Software\\Classes\\MIME\\Database\\Content Type\\application/(pdf|vnd\.fdf)$'
    # The installer replaced Wine's own ".pdf" association; the uninstaller deletes the value
    # that names the product and cannot know what was there before.
    '^value HKLM\\Software\\Classes\\\.pdf @="pdffile"$'
    # The test kit's own directory: its stand-ins log their calls there.
    '^(dir  |file )C:/e2e/'
)

# Patterns for what the footprint tool reports as another program's or the user's ("foreign
# present ..."), with the directories and keys above it: these stay after a removal, and must.
e2e_foreign_patterns() {
    awk '
        function esc(s) { gsub(/[][\\.^$*+?(){}|]/, "\\\\&", s); return s }
        function dirs_above(p) {
            while (p ~ /\//) { sub(/\/[^\/]*$/, "", p); if (p ~ /^[A-Za-z]:$/) return; print "^dir  " esc(p) "$" }
        }
        function keys_above(k, self) {
            if (self) print "^key   " esc(k) "$"
            while (k ~ /\\/) { sub(/\\[^\\]*$/, "", k); print "^key   " esc(k) "$" }
        }
        $1 != "foreign" { next }
        {
            kind = $3
            name = $0
            sub(/^foreign [a-z]+ [a-z]+ /, "", name)
        }
        kind == "file" || kind == "dir" {
            p = name; gsub(/\\/, "/", p); sub(/\/$/, "", p)
            if (p ~ /^[A-Za-z]:$/) next
            print "^(dir  |file )" esc(p) "( |$)"
            dirs_above(p)
        }
        kind == "key" { print "^value " esc(name) " "; keys_above(name, 1) }
        kind == "value" {
            k = name; sub(/ \[[^]]*\]$/, "", k)
            v = name; sub(/^.* \[/, "", v); sub(/\]$/, "", v)
            if (v == "(default)") print "^value " esc(k) " @="; else print "^value " esc(k) " \"" esc(v) "\"="
            keys_above(k, 1)
        }
        kind == "printer" {
            print "^(key   |value )HKLM\\\\System\\\\CurrentControlSet\\\\Control\\\\Print\\\\Printers\\\\" esc(name) "($|\\\\| )"
            print "^value HKCU\\\\Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\(Devices|PrinterPorts) \"" esc(name) "\"="
        }
        kind == "driver" {
            print "^(key   |value )HKLM\\\\System\\\\CurrentControlSet\\\\Control\\\\Print\\\\Environments\\\\[^\\\\]+\\\\Drivers\\\\Version-3\\\\" esc(name) "($|\\\\| )"
        }
        kind == "port" { print "^value HKLM\\\\Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Ports \"" esc(name) "\"=" }
    ' | LC_ALL=C sort -u
}

e2e_machine_start() {
    E2E_MACHINE_DIR=$E2E_ROOT/machine/$1
    E2E_MACHINE_EXPECT=removed
    E2E_MACHINE_CASE_ALLOWED=()
    rm -rf "$E2E_MACHINE_DIR"
    mkdir -p "$E2E_MACHINE_DIR"
    e2e_machine_image >"$E2E_MACHINE_DIR/before"
}

# Called with the footprint tool's arguments once the product is laid down.
e2e_machine_laid_down() {
    footprint report "$@" | e2e_foreign_patterns >"$E2E_MACHINE_DIR/foreign"
    "$WINESERVER" -w
    e2e_machine_image >"$E2E_MACHINE_DIR/laid"
}

# removed: the case's run takes the product away (the default); kept: the product stays.
e2e_machine_expect() { E2E_MACHINE_EXPECT=$1; }

# Further lines (extended regular expressions over the image) that this case leaves by design;
# the case says why in a comment where it calls this.
e2e_machine_allow() { E2E_MACHINE_CASE_ALLOWED+=("$@"); }

# Lines of stdin that no pattern of file $1 matches (an empty file matches nothing).
e2e_unmatched() {
    if [ -s "$1" ]; then grep -v -E -f "$1" | grep -v '^$' || true; else grep -v '^$' || true; fi
}

# Prints every difference the case may not leave; false when there is one.
e2e_machine_check() {
    local dir=$E2E_MACHINE_DIR
    "$WINESERVER" -w
    e2e_machine_image >"$dir/after"
    [ -f "$dir/laid" ] || cp "$dir/before" "$dir/laid"
    touch "$dir/foreign"
    printf '%s\n' "${E2E_MACHINE_ALLOWED[@]}" "${E2E_MACHINE_CASE_ALLOWED[@]}" | grep -v '^$' >"$dir/allowed" || true
    cat "$dir/allowed" "$dir/foreign" >"$dir/kept"
    local appeared gone lost
    if [ "$E2E_MACHINE_EXPECT" = kept ]; then
        # Nothing new that neither laying down nor the machine before had; nothing gone of
        # what was there before and laying down left alone.
        appeared=$(LC_ALL=C comm -13 "$dir/laid" "$dir/after" | LC_ALL=C comm -23 - "$dir/before" |
                   e2e_unmatched "$dir/allowed")
        gone=$(LC_ALL=C comm -12 "$dir/before" "$dir/laid" | LC_ALL=C comm -23 - "$dir/after" |
               e2e_unmatched "$dir/allowed")
    else
        appeared=$(LC_ALL=C comm -13 "$dir/before" "$dir/after" | e2e_unmatched "$dir/kept")
        gone=$(LC_ALL=C comm -23 "$dir/before" "$dir/after" | e2e_unmatched "$dir/allowed")
    fi
    # What laying down put there for other programs or the user must be there unchanged.
    if [ -s "$dir/foreign" ]; then
        lost=$(grep -E -f "$dir/foreign" "$dir/laid" | LC_ALL=C comm -23 - "$dir/after" | e2e_unmatched "$dir/allowed")
    else
        lost=
    fi
    [ -z "$appeared$gone$lost" ] && return 0
    echo "the machine is not as it was before the product was laid down (product $E2E_MACHINE_EXPECT);"
    echo "+ there now, - gone, ~ another program's or the user's gone; (run) not there after laying down:"
    local line
    printf '%s\n' "$appeared" | grep -v '^$' | head -n 40 | while IFS= read -r line; do
        if grep -qxF -- "$line" "$dir/laid"; then echo "  + $line"; else echo "  + (run) $line"; fi
    done
    printf '%s\n' "$gone" | grep -v '^$' | head -n 40 | sed 's/^/  - /'
    printf '%s\n' "$lost" | grep -v '^$' | head -n 40 | sed 's/^/  ~ /'
    return 1
}
