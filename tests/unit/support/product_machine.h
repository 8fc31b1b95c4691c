// Arranging the simulated machine as the product's installer leaves it, and a host that stands
// in for the application object where a test runs the engine alone.
#pragma once
#include <string>
#include <vector>

#include "engine/uninstall_host.h"
#include "i18n/string_catalog.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

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

class FakeHost : public engine::UninstallHost {
public:
    bool silent = true;
    std::vector<int> reports;
    std::vector<int> progressAtReport;  // the bar's last position when each report was made
    win::HWND progress = nullptr;
    std::u16string installDir;

    bool IsSilent() const override { return silent; }
    void ReportToInstaller(int code) override {
        reports.push_back(code);
        int position = -1;
        if (progress) {
            auto& positions = sim::machine().windows.windows[progress].progressPositions;
            if (!positions.empty()) position = positions.back();
        }
        progressAtReport.push_back(position);
    }
    std::u16string GetMessageText(unsigned id) override { return i18n::BuiltInText(id); }
    void SetInstallDir(const std::u16string& dir) override { installDir = dir; }
    const std::u16string& GetInstallDir() const override { return installDir; }
};

}  // namespace testing_support
