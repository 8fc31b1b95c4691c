// Arranging the simulated machine as the product's installer leaves it, and a host that stands
// in for the application object where a test runs the engine alone.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "engine/install_record.h"
#include "engine/uninstall_host.h"
#include "i18n/string_catalog.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "ui/message_box.h"

namespace testing_support {

inline const std::u16string kInstallDir = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
inline const std::u16string kProductExe = kInstallDir + u"Orvik Pendrel.exe";
inline const char16_t kProductKey[] = u"Software\\Orvik Software\\Orvik Pendrel";

// Records, install directory and product executable; `installPath` as stored in the registry.
inline void InstallProduct(const std::u16string& installPath = kInstallDir,
                           const std::u16string& existPath = u"C:\\Program Files\\") {
    auto& m = sim::machine();
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", installPath);
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"ExistPath", existPath);
    m.files.AddFile(kProductExe, "MZ");
    m.files.AddFile(kInstallDir + u"Uninstall.exe", "MZ");
}

// The one stand-in for whoever runs the engine (the application, the wizard). Reports and
// progress positions are recorded; boxes are the program's real boxes on the simulated window
// system (answered from its script), owned by `wizard` when the engine asks for the wizard's.
class FakeHost : public engine::UninstallHost {
public:
    bool silent = true;
    bool unattended = false;
    std::vector<int> reports;
    std::vector<int> positions;
    std::vector<int> positionAtReport;  // the last position when each report was made; -1: none yet
    // Where the product lives, read from the simulated registry when the removal first asks
    // (as start-up would read it); a test may set it instead.
    mutable std::optional<engine::InstallLocation> location;
    win::HWND wizard = nullptr;
    std::vector<std::u16string> notes;  // the lines for the log
    engine::RemovalContext context;

    bool IsSilent() const override { return silent; }
    bool IsUnattended() const override { return unattended; }
    void ReportToInstaller(int code) override {
        reports.push_back(code);
        positionAtReport.push_back(positions.empty() ? -1 : positions.back());
    }
    std::u16string GetMessageText(unsigned id) override { return i18n::BuiltInText(id); }
    const engine::InstallLocation& Location() const override {
        if (!location) location = engine::ReadInstallLocation();
        return *location;
    }
    // The product judged to live at `directory`, as start-up would have found it; changed in
    // place, so that a removal made before sees it too.
    void PlaceProduct(const std::u16string& directory, const std::u16string& existPath = u"\\") {
        Location();
        location->state = engine::InstallRecordState::Usable;
        location->directory = location->recorded = directory;
        location->existPath = existPath;
    }
    void SetProgress(int position) override { positions.push_back(position); }
    bool ShowMessage(engine::BoxOwner owner, engine::BoxKind kind, const std::u16string& text,
                     const std::u16string& caption) override {
        return ui::ShowBox(owner == engine::BoxOwner::Wizard ? wizard : nullptr, kind, text, caption);
    }
    void Note(const std::u16string& line) override { notes.push_back(line); }
    engine::RemovalContext& Context() override { return context; }
};


}  // namespace testing_support
