// The association and records steps: whether the product still opens ".pdf" files for the
// current user, the removal of the product's associations, and of its registry records under
// both roots.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace engine::registry {

// Whether the current user's ".pdf" choice opens documents with the product's command in
// `installDir` (the install directory with its trailing backslash; empty: unknown, never). The
// product's installer wrote the command from the record as it stored it: `recorded`, that text
// before it was normalised (empty when not known), is accepted as well.
bool IsProductPdfHandler(const std::u16string& installDir, const std::u16string& recorded = std::u16string());
// The same question with its third answer: whether the product is the handler is not known, as a
// read of the user's choice or of its command failed (`unreadable`, where given, receives the
// system's answer to it then, and only then). The associations are then left as they are.
enum class PdfHandler { Product, Other, Unknown };
PdfHandler PdfHandlerOf(const std::u16string& installDir, const std::u16string& recorded = std::u16string(),
                        win::LONG* unreadable = nullptr);
void RemoveFileAssociations();
// The shell is told that file types changed only when `fileTypesChanged`: it then rereads every
// one of them, and under Wine the telling starts a process.
void RemoveProductRegistry(bool fileTypesChanged);
// After the removal: the product's record keys still there ("HKLM\\path", "HKCU\\path").
std::vector<std::u16string> ProductKeysLeft();
// After the association step: the values it deletes that still name the product's ProgIDs or
// class identifiers, or are still there by a name of the product's ("value HKLM\\key\\name"),
// and those that cannot be looked at (with the reason).
std::vector<std::u16string> AssociationsLeft();

}  // namespace engine::registry
