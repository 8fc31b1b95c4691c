// The application side that the removal steps need, for tests: silent, no installer link,
// placeholder texts.
#pragma once
#include <string>

#include "engine/uninstall_host.h"

namespace files_test {

class SilentHost : public engine::UninstallHost {
public:
    bool IsSilent() const override { return true; }
    void ReportToInstaller(int) override {}
    std::u16string GetMessageText(unsigned) override { return u"text"; }
    void SetInstallDir(const std::u16string& dir) override { m_dir = dir; }
    const std::u16string& GetInstallDir() const override { return m_dir; }

private:
    std::u16string m_dir;
};

}  // namespace files_test
