// The association and records steps: the removal of the product's associations, and of its
// registry records under both roots.
#pragma once
#include <string>
#include <vector>

#include "engine/removal_report.h"

namespace engine::registry {

// Deletes every association value that names the product (the ".pdf" and ".fdf" defaults, the
// MIME types' class identifiers, the "open with" entries, the user's choices), in the machine's
// classes, the user's records and the classes view, whichever program this user prefers; every
// value that names another program stays. True when it removed at least one value or key. Each
// value tried is told to `context`.
bool RemoveFileAssociations(RemovalContext& context);
// Removes the product's record trees under both roots, telling each to `context`; true when one
// of its file types was there (whatever became of it), so that the shell is to be told.
bool RemoveProductRegistry(RemovalContext& context);
// Tells the shell that file types changed: it then rereads every one of them, and under Wine the
// telling starts a process.
void TellShellFileTypesChanged();
// After the removal: the product's record keys still there ("HKLM\\path", "HKCU\\path").
std::vector<std::u16string> ProductKeysLeft();
// After the association step: the values it deletes that still name the product's ProgIDs or
// class identifiers, or are still there by a name of the product's ("value HKLM\\key\\name"),
// and those that cannot be looked at (with the reason).
std::vector<std::u16string> AssociationsLeft();

}  // namespace engine::registry
