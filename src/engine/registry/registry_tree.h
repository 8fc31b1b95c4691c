// Removal of a whole registry key tree. The NT family's system deletes only a key without
// subkeys, so the tree is taken apart bottom-up there; the 95 family deletes a tree in one call.
// Every call made for a tree uses the root the caller named; each key the callers name, and a
// subkey that stays, is reported to the run's `context`.
//
// The walk acts only through handles: the top key is reached one component at a time without
// passing a link (OpenKeyWithoutLinks), each subkey is opened relative to its parent's handle as
// itself, and values and keys are deleted through the handle that was judged. A symbolic link in
// the tree is removed itself; the walk never goes through one, and nothing is ever reopened by
// path after it was judged, so a key swapped for a link meanwhile cannot send a deletion
// elsewhere.
#pragma once
#include <string>

#include "engine/removal_report.h"
#include "platform/registry.h"

namespace engine::registry {

// Removes `path` under `root` (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER) with all its subkeys
// and values. The top key's values are cleared even when a subkey stays. Nothing is done when a
// key above the top is a link. True when the key was there (or could not be reached to tell),
// whatever became of it; false when it or a key above it does not exist.
bool DeleteRegistryTree(RemovalContext& context, win::HKEY root, const char16_t* path);

// Deletes the one key `path` under `root` as the walk deletes a key, without its subkeys: where
// the system refuses to delete a key that has subkeys, the key stays. A link there is removed
// itself; a key reached through a link on the way, or that exists but cannot be opened as
// itself, is left alone.
void DeleteRegistryKey(RemovalContext& context, win::HKEY root, const char16_t* path);

// Deletes every subkey of the open `key`, deepest first, each through its own handle. False at
// the first subkey that cannot be enumerated, opened as itself or deleted: its later siblings
// are left alone. `name` is how the log names the key ("key HKLM\\...").
bool DeleteRegistrySubkeys(RemovalContext& context, win::HKEY key, const std::u16string& name);

// Deletes the values of the open `key`; `count` is the number of values the caller read from
// it. All names are collected before the first deletion; a name that cannot be collected (500
// characters or more) leaves every value in place.
void ClearRegistryValues(win::HKEY key, win::LONG count);

}  // namespace engine::registry
