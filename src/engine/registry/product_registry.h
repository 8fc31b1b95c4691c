// The association and records steps: whether the product still opens ".pdf" files for the
// current user, the removal of the product's associations, and of its registry records under
// both roots.
#pragma once
#include <string>
#include <vector>

namespace engine::registry {

// Whether the current user's ".pdf" choice opens documents with the product's command in
// `installDir` (the install directory with its trailing backslash; empty: unknown, never). The
// product's installer wrote the command from the record as it stored it: `recorded`, that text
// before it was normalised (empty when not known), is accepted as well.
bool IsProductPdfHandler(const std::u16string& installDir, const std::u16string& recorded = std::u16string());
void RemoveFileAssociations();
void RemoveProductRegistry();
// After the removal: the product's record keys still there ("HKLM\\path", "HKCU\\path").
std::vector<std::u16string> ProductKeysLeft();

}  // namespace engine::registry
