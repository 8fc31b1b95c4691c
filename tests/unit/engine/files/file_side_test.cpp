// The file side through the whole uninstall sequence when the install record is unusable.
#include <gtest/gtest.h>

#include "engine/uninstaller.h"
#include "support/product_machine.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"

namespace {

TEST(FileSide, UnusableInstallRecordLeavesTheDriveAlone) {
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel",
                                      u"InstallPath", u"C:\\");
    for (auto name : {u"C:\\Readme.txt", u"C:\\Uninstall.exe", u"C:\\kpdfcjk.bin", u"C:\\lang\\a.xml",
                      u"C:\\Stamps\\Sign Here\\x.pdf", u"C:\\UpdaterInfo.xml"})
        sim::machine().files.AddFile(name);
    const auto before = sim::machine().files.AllPaths();
    testing_support::FakeHost host;
    engine::Uninstaller uninstaller(host);

    ASSERT_TRUE(uninstaller.PrepareUninstall());
    uninstaller.RunUninstall();

    EXPECT_EQ(sim::machine().files.AllPaths(), before);
    EXPECT_TRUE(sim::machine().shell.launches.empty());
}

}  // namespace
