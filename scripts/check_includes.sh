#!/usr/bin/env bash
# Dependencies point downwards only: every project include in src/ must name a module that the
# including file's module may use (docs/ARCHITECTURE.md draws the same table). Prints each
# include that breaks the rule and fails when there is one. Run by the native build and by
# scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

# What the files under each folder may include, by folder prefix; the longest prefix that
# matches a file decides.
declare -A allowed=(
    [resources]="resources"
    [platform]="platform/[a-z_]+\.h"
    [platform/win32]="platform/[a-z_]+\.h platform/win32"
    [platform/sim]="platform/[a-z_]+\.h platform/sim resources"
    [core]="core platform/[a-z_]+\.h"
    [i18n]="i18n core platform/[a-z_]+\.h"
    [engine]="engine core platform/[a-z_]+\.h resources"
    [engine/files]="engine/files engine/removal_report\.h engine/outcome\.h engine/registry/read_registry_string\.h core platform/[a-z_]+\.h"
    [engine/registry]="engine/registry engine/files engine/[a-z_]+\.h core platform/[a-z_]+\.h resources"
    [engine/printer]="engine/printer engine/files engine/registry/read_registry_string\.h engine/[a-z_]+\.h core platform/[a-z_]+\.h resources"
    [engine/addons]="engine/addons engine/files engine/[a-z_]+\.h core platform/[a-z_]+\.h resources"
    [ui]="ui engine/[a-z_]+\.h platform/[a-z_]+\.h resources"
    [app]="app ui engine i18n core platform/[a-z_]+\.h resources"
    [main.cpp]="app"
    [runtime_trim.cpp]=""
)

module_of() {
    local path=$1 best="" key
    for key in "${!allowed[@]}"; do
        if [[ $path == "$key" || $path == "$key"/* ]] && ((${#key} > ${#best})); then best=$key; fi
    done
    echo "$best"
}

failures=0
while IFS= read -r file; do
    relative=${file#src/}
    module=$(module_of "$relative")
    if [[ -z $module ]]; then
        echo "$file: belongs to no module"
        failures=$((failures + 1))
        continue
    fi
    own_dir=$(dirname "$relative")
    while IFS= read -r included; do
        # A file's neighbours in its own folder are always in reach (resources include theirs
        # by bare name).
        [[ $included != */* ]] && [[ -e src/$own_dir/$included ]] && continue
        [[ $(dirname "$included") == "$own_dir" ]] && continue
        ok=0
        for pattern in ${allowed[$module]}; do
            if [[ $included =~ ^$pattern(/|$) ]]; then ok=1; break; fi
        done
        if ((ok == 0)); then
            echo "$file: includes \"$included\", which $module/ may not use (allowed: ${allowed[$module]:-nothing})"
            failures=$((failures + 1))
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.inc' -o -name '*.rc' \) | sort)

if ((failures > 0)); then
    echo "$failures include(s) against the module rules"
    exit 1
fi
echo "includes follow the module rules"
