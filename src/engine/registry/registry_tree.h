// Removal of a whole registry key tree. The NT family's RegDeleteKeyW deletes only a key without
// subkeys, so the tree is taken apart bottom-up there; the 95 family deletes a tree in one call.
// Every call made for a tree uses the root the caller named, and nothing is reported. A symbolic
// link in the tree is removed itself; the walk never goes through one, and never deletes by path
// a key it could not open as itself.
#pragma once
#include "platform/registry.h"

namespace engine::registry {

// Removes `path` under `root` (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER) with all its subkeys
// and values. The top key's values are cleared even when a subkey stays.
void DeleteRegistryTree(win::HKEY root, const char16_t* path);

// Deletes every subkey of `key`, the open handle of `path` under `root`, deepest first. False at
// the first subkey that cannot be enumerated or deleted: its later siblings are left alone.
bool DeleteRegistrySubkeys(win::HKEY root, win::HKEY key, const char16_t* path);

// Deletes the values of `path` under `root`; `count` is the number of values the caller read
// from the key. All names are collected before the first deletion; a name that cannot be
// collected (500 characters or more) leaves every value in place.
void ClearRegistryValues(win::HKEY root, const char16_t* path, win::LONG count);

}  // namespace engine::registry
