// What the removal needs from the application that runs it: the mode, the installer link, the
// texts, and the shared copy of the install directory.
#pragma once
#include <string>

namespace engine {

class UninstallHost {
public:
    virtual bool IsSilent() const = 0;
    virtual void ReportToInstaller(int code) = 0;
    virtual std::u16string GetMessageText(unsigned id) = 0;
    virtual void SetInstallDir(const std::u16string& dir) = 0;
    virtual const std::u16string& GetInstallDir() const = 0;

protected:
    ~UninstallHost() = default;
};

}  // namespace engine
