// The whole file side through the uninstall sequence: what the installer laid down is gone,
// what belongs to others stays.
#include <gtest/gtest.h>

#include "engine/uninstaller.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

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

constexpr char16_t kDir[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";

void InstallFileSide() {
    auto& m = sim::machine();
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel", u"InstallPath",
                         u"C:\\Program Files\\Orvik Software\\Orvik Pendrel");
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel", u"ExistPath",
                         u"C:\\Program Files");
    const std::u16string dir = kDir;
    for (auto name : {u"Orvik Pendrel.exe", u"Uninstall.exe", u"Readme.txt", u"config.xml", u"InOther.exe",
                      u"InComplete.exe", u"UnPDFReaderPlugin.exe", u"kpdfcjk.bin", u"kvdecod1.dll",
                      u"lex\\accent.tlx", u"lex\\userdic.tlx", u"Plugins\\npOrvikReaderPlugin.dll",
                      u"Plugins\\OnDemandCM\\OnDemandPlugin.dll", u"Plugins\\OnDemandCM\\curl\\curl.exe",
                      u"Plugins\\OnDemandCM\\OnDemandCM_en.xml", u"Stamps\\Standard Stamps\\Approved.pdf",
                      u"Stamps\\Sign Here\\Sign Here.pdf", u"lang\\uninst_lang_en_us.xml",
                      u"plugins\\OCR\\KV_Abbyy_OCR\\engine.dat", u"plugins\\OCR\\KV_Abbyy_OCR.Dll", u"UpdaterInfo.xml"})
        m.files.AddFile(dir + name);
    const auto& folders = m.shell.folders;
    m.files.AddFile(folders.at(win::CSIDL_DESKTOPDIRECTORY) + u"\\Orvik Pendrel.lnk");
    m.files.AddFile(folders.at(win::CSIDL_DESKTOPDIRECTORY) + u"\\Other Program.lnk");
    m.files.AddFile(folders.at(win::CSIDL_COMMON_DESKTOPDIRECTORY) + u"\\Orvik Pendrel.lnk");
    m.files.AddFile(folders.at(win::CSIDL_APPDATA) + u"\\Microsoft\\Internet Explorer\\Quick Launch\\Orvik Pendrel.lnk");
    m.files.AddFile(folders.at(win::CSIDL_PROGRAMS) + u"\\Orvik Pendrel\\Orvik Pendrel.lnk");
    m.files.AddFile(folders.at(win::CSIDL_COMMON_PROGRAMS) + u"\\Orvik Pendrel\\Orvik Pendrel.lnk");
    m.files.AddFile(u"C:\\Program Files\\Other Vendor\\tool.exe");
}

std::vector<std::string> ProductPathsLeft() {
    std::vector<std::string> left;
    for (const auto& path : sim::machine().files.AllPaths())
        if (sim::Narrow(path).find("Orvik") != std::string::npos) left.push_back(sim::Narrow(path));
    return left;
}

TEST(FileSide, SilentSequenceLeavesNothingOfTheProductsFiles) {
    InstallFileSide();
    SilentHost host;
    engine::Uninstaller uninstaller(host);

    ASSERT_TRUE(uninstaller.PrepareUninstall());
    uninstaller.RunUninstall();

    EXPECT_EQ(ProductPathsLeft(), std::vector<std::string>{});
    EXPECT_TRUE(sim::machine().files.Exists(u"C:\\Program Files\\Other Vendor\\tool.exe"));
    EXPECT_TRUE(sim::machine().files.Exists(sim::machine().shell.folders.at(win::CSIDL_DESKTOPDIRECTORY) +
                                            u"\\Other Program.lnk"));
    ASSERT_EQ(sim::machine().shell.launches.size(), 1u);
    EXPECT_EQ(sim::machine().shell.launches[0].parameters,
              u" -p C:\\Program Files\\Orvik Software\\Orvik Pendrel\\plugins\\");
    EXPECT_EQ(host.GetInstallDir(), kDir);  // the application's copy keeps its case
}

TEST(FileSide, UnusableInstallRecordLeavesTheDriveAlone) {
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel",
                                      u"InstallPath", u"C:\\");
    for (auto name : {u"C:\\Readme.txt", u"C:\\Uninstall.exe", u"C:\\kpdfcjk.bin", u"C:\\lang\\a.xml",
                      u"C:\\Stamps\\Sign Here\\x.pdf", u"C:\\UpdaterInfo.xml"})
        sim::machine().files.AddFile(name);
    const auto before = sim::machine().files.AllPaths();
    SilentHost host;
    engine::Uninstaller uninstaller(host);

    ASSERT_TRUE(uninstaller.PrepareUninstall());
    uninstaller.RunUninstall();

    EXPECT_EQ(sim::machine().files.AllPaths(), before);
    EXPECT_TRUE(sim::machine().shell.launches.empty());
}

}  // namespace
