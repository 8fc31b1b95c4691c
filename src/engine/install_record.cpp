#include "engine/install_record.h"

#include "engine/files/directory_handle.h"
#include "engine/files/known_folders.h"
#include "engine/files/path.h"
#include "engine/product.h"
#include "engine/registry/read_registry_string.h"
#include "engine/registry/registry_key.h"
#include "engine/removal_report.h"
#include "platform/registry.h"

namespace engine {
namespace {

using files::FitsMaxPath;
using files::WithTrailingBackslash;

// The record as text, however long (up to what a sane registry value holds); a value that is
// not text counts as missing.
constexpr win::DWORD kLongestRecordBytes = 32768 * sizeof(char16_t);

struct RecordedText {
    bool tooLong = false;
    // The key or value is there but could not be read (access refused, the registry failing):
    // nothing may be taken for a missing record then.
    bool unreadable = false;
    std::u16string text;
};

RecordedText ReadRecordedText(const char16_t* valueName) {
    RecordedText recorded;
    registry::RegistryKey key;
    if (!key.Open(win::HKEY_LOCAL_MACHINE, product::kProductKey, win::KEY_QUERY_VALUE)) {
        recorded.unreadable = !IsAbsence(static_cast<win::DWORD>(key.status()));
        return recorded;
    }
    registry::StringValueRead read;
    if (!registry::QueryRegistryString(key.get(), valueName, kLongestRecordBytes, recorded.text, &read)) {
        recorded.tooLong = read.tooLong;
        recorded.unreadable = read.status != static_cast<win::LONG>(win::ERROR_SUCCESS) &&
                              !IsAbsence(static_cast<win::DWORD>(read.status));
    }
    return recorded;
}

}  // namespace

InstallRecord JudgeInstallRecord(const std::u16string& recorded) {
    InstallRecord record;
    if (recorded.empty()) return record;
    record.state = InstallRecordState::Unusable;
    if (!FitsMaxPath(recorded)) return record;
    std::u16string normalised;
    if (!files::NormaliseFullPath(recorded, normalised) || !files::IsSafeInstallDirectory(normalised)) return record;
    const std::u16string directory = WithTrailingBackslash(normalised);
    if (!FitsMaxPath(directory + product::kExecutableName)) return record;
    if (files::IsSystemOrShellFolder(normalised)) return record;
    record.state = InstallRecordState::Usable;
    record.directory = directory;
    record.recorded = recorded;
    return record;
}

InstallRecord ReadInstallRecord() {
    const RecordedText recorded = ReadRecordedText(product::kInstallPathValue);
    if (recorded.tooLong || recorded.unreadable) return {InstallRecordState::Unusable, {}, {}};
    InstallRecord record = JudgeInstallRecord(recorded.text);
    if (record.state != InstallRecordState::Usable) return record;
    // A record that reaches the directory through a link (the installer wrote it so) is taken
    // at the place it leads to, which must pass the same judgement.
    const std::u16string stated = files::WithoutTrailingBackslash(record.directory);
    const std::u16string resolved = files::ResolvedDirectory(stated);
    if (resolved == stated) return record;
    const InstallRecord place = JudgeInstallRecord(resolved);
    if (place.state != InstallRecordState::Usable) return {InstallRecordState::Unusable, {}, {}};
    record.directory = place.directory;
    return record;
}

std::u16string ReadExistPath() {
    const std::u16string exist =
        registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, product::kProductKey, product::kExistPathValue);
    std::u16string normalised = exist;
    if (!exist.empty() && files::NormaliseFullPath(exist, normalised) && files::IsSafeInstallDirectory(normalised))
        normalised = files::ResolvedDirectory(normalised);
    return files::WithTrailingBackslash(normalised);
}

InstallLocation ReadInstallLocation() {
    const InstallRecord record = ReadInstallRecord();
    return {record.state, record.directory, record.recorded, ReadExistPath()};
}

}  // namespace engine
