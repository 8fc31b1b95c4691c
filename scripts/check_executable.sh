#!/usr/bin/env bash
# The shipped executable: one file of at most 300 KB that imports only system DLLs.
set -euo pipefail
exe=${1:?usage: check_executable.sh Uninstall.exe}
limit=$((300 * 1024))
size=$(stat -c %s "$exe")
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|OLE32|OLEAUT32|WINSPOOL\.DRV|msvcrt|SHLWAPI|COMDLG32|VERSION)(\.dll)?$'
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
bad=$(grep -viE "$allowed" <<<"$imports" || true)
echo "$exe: $size bytes; imports: $(tr '\n' ' ' <<<"$imports")"
[ "$size" -le "$limit" ] || { echo "too large: $size > $limit"; exit 1; }
[ -z "$bad" ] || { echo "imports a DLL that is not the system's: $bad"; exit 1; }
