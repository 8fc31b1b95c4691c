#!/usr/bin/env bash
# The shipped executable: one file of at most 300 KB whose load-time imports are all libraries
# the system maps from its own directory whatever the executable's directory holds (the
# KnownDLLs), or the common controls, which the manifest binds side by side. Any other library
# named in the import table would be looked for in the executable's directory first: for the
# temporary copy, a directory every process of the user can write to.
set -euo pipefail
exe=${1:?usage: check_executable.sh Uninstall.exe}
limit=$((300 * 1024))
size=$(stat -c %s "$exe")
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|msvcrt|COMDLG32|SHLWAPI|COMCTL32)\.dll$'
# The 64-bit objdump reads both PE formats.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
[ -n "$imports" ] || { echo "$exe: no import table found"; exit 1; }
bad=$(grep -viE "$allowed" <<<"$imports" || true)
echo "$exe: $size bytes; imports: $(tr '\n' ' ' <<<"$imports")"
[ "$size" -le "$limit" ] || { echo "too large: $size > $limit"; exit 1; }
[ -z "$bad" ] || { echo "imports a library the loader would look for in the executable's directory: $(tr '\n' ' ' <<<"$bad")"; exit 1; }
# Without the terminal-services flag a session host hands the program a Windows directory of the
# user's own: its Temp, where the installed uninstaller makes way, would be the user's to change.
characteristics=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/^DllCharacteristics/ {print $2}')
(( 0x${characteristics:-0} & 0x8000 )) || { echo "not marked aware of terminal services (DllCharacteristics $characteristics)"; exit 1; }
