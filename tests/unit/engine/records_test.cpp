// The product records, the in-use check and the registry reader they rest on.
#include <gtest/gtest.h>

#include "engine/files/path.h"
#include "engine/registry/read_registry_string.h"
#include "engine/uninstaller.h"
#include "support/product_machine.h"

using namespace testing_support;

namespace {

const char16_t kKey[] = u"Software\\Test";

TEST(ReadRegistryString, ReadsStringsAndFallsBackToTheDefaultForEverythingElse) {
    auto& reg = sim::machine().registry;
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"text", u"value");
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"expand", u"%TEMP%\\x", win::REG_EXPAND_SZ);
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"empty", u"");
    reg.SetDword(win::HKEY_LOCAL_MACHINE, kKey, u"number", 42);

    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"text", u"d"), u"value");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"expand", u"d"), u"%TEMP%\\x");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"empty", u"d"), u"d");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"number", u"d"), u"d");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"missing", u"d"), u"d");
    EXPECT_EQ(sim::machine().registry.OpenHandleCount(), 0u);
}

TEST(ReadRegistryString, CreatesAMissingKeyEmpty) {
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_CURRENT_USER, u"Software\\New\\Key", u"v"), u"");
    ASSERT_TRUE(sim::machine().registry.Exists(win::HKEY_CURRENT_USER, u"Software\\New\\Key"));
    EXPECT_TRUE(sim::machine().registry.Find(win::HKEY_CURRENT_USER, u"Software\\New\\Key")->values.empty());
}

TEST(ReadRegistryString, TreatsTooLongAndUnterminatedValuesSafely) {
    auto& reg = sim::machine().registry;
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"long", std::u16string(260, u'a'));
    reg.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"fits", std::u16string(259, u'a'));
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"long", u"d"), u"d");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"fits", u"d"), std::u16string(259, u'a'));

    // Data without terminator, of odd length, and with text after an embedded terminator.
    auto* key = reg.Find(win::HKEY_LOCAL_MACHINE, kKey);
    key->values.push_back({u"raw", win::REG_SZ, {'a', 0, 'b', 0, 'c'}});
    key->values.push_back({u"embedded", win::REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}});
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"raw", u"d"), u"ab");
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"embedded", u"d"), u"a");
}

TEST(ReadRegistryString, HonoursASmallerBufferOffered) {
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"v", std::u16string(63, u'x'));
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kKey, u"w", std::u16string(64, u'x'));
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"v", u"", 128), std::u16string(63, u'x'));
    EXPECT_EQ(engine::registry::ReadRegistryString(win::HKEY_LOCAL_MACHINE, kKey, u"w", u"", 128), u"");
}

TEST(InstallRecords, AppendOneBackslashWhereTheStoredPathLacksIt) {
    FakeHost host;
    InstallProduct(u"C:\\Programs\\Orvik Pendrel", u"C:\\Programs");
    engine::Uninstaller uninstaller(host);
    uninstaller.LoadProductRecords();
    EXPECT_EQ(uninstaller.m_strInstallPath, u"C:\\Programs\\Orvik Pendrel\\");
    EXPECT_EQ(uninstaller.m_strExistPath, u"C:\\Programs\\");
    EXPECT_EQ(host.installDir, u"C:\\Programs\\Orvik Pendrel\\");

    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", kInstallDir);
    uninstaller.LoadProductRecords();
    EXPECT_EQ(uninstaller.m_strInstallPath, kInstallDir);
}

TEST(InstallRecords, MissingExistPathBecomesALoneBackslash) {
    FakeHost host;
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, kProductKey, u"InstallPath", kInstallDir);
    engine::Uninstaller uninstaller(host);
    uninstaller.LoadProductRecords();
    EXPECT_EQ(uninstaller.m_strExistPath, u"\\");
}

// Without a directory that can be the product's, nothing may be formed from the install path:
// it would name the drive root, the current directory or a place the product never was.
TEST(InstallRecords, UnusableInstallPathsLeaveTheInstallPathEmpty) {
    for (std::u16string stored : {u"", u"\\", u"C:", u"C:\\", u"C:\\\\", u"Orvik Pendrel", u"\\Orvik Pendrel",
                                  u"C:\\Program Files\\..", u"C:\\Program Files\\*", u"C:Orvik",
                                  u"\\\\server\\share", u"C:\\a\\\\b", u"C:\\dir. "}) {
        sim::Reset();
        FakeHost host;
        InstallProduct(stored);
        sim::machine().files.AddFile(u"C:\\Orvik Pendrel.exe");
        engine::Uninstaller uninstaller(host);
        EXPECT_TRUE(uninstaller.PrepareUninstall()) << sim::Narrow(stored);
        EXPECT_EQ(uninstaller.m_strInstallPath, u"") << sim::Narrow(stored);
        EXPECT_EQ(host.installDir, u"") << sim::Narrow(stored);
        EXPECT_TRUE(sim::machine().files.Exists(u"C:\\Orvik Pendrel.exe")) << sim::Narrow(stored);
        EXPECT_EQ(sim::machine().CountCalls("DeleteFileW"), 0u) << sim::Narrow(stored);
    }
}

TEST(InstallRecords, UsableInstallPaths) {
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\"));
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"d:\\Orvik"));
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"\\\\server\\share\\Orvik Pendrel\\"));
    EXPECT_TRUE(engine::files::IsSafeInstallDirectory(u"C:\\Programme\\Orvik Pendrel 8.0\\"));
}

TEST(InUseCheck, DeletesTheProductExecutableEvenWhenReadOnly) {
    FakeHost host;
    InstallProduct();
    sim::machine().files.Find(kProductExe)->attributes = win::FILE_ATTRIBUTE_READONLY;
    engine::Uninstaller uninstaller(host);
    EXPECT_TRUE(uninstaller.PrepareUninstall());
    EXPECT_FALSE(sim::machine().files.Exists(kProductExe));
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
}

TEST(InUseCheck, AnAbsentExecutableIsNotInUse) {
    FakeHost host;
    InstallProduct();
    sim::machine().files.Find(kProductExe)->parent->children.clear();
    engine::Uninstaller uninstaller(host);
    EXPECT_TRUE(uninstaller.PrepareUninstall());
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
}

TEST(InUseCheck, AnExecutableInUseStopsWithMessage6WithoutOwner) {
    FakeHost host;
    InstallProduct();
    sim::machine().files.Find(kProductExe)->inUse = true;
    engine::Uninstaller uninstaller(host);
    EXPECT_FALSE(uninstaller.PrepareUninstall());
    ASSERT_EQ(sim::machine().windows.boxes.size(), 1u);
    const auto& box = sim::machine().windows.boxes[0];
    EXPECT_EQ(box.text, u"Orvik Pendrel is being used, please exit and retry.");
    EXPECT_EQ(box.caption, u"Orvik Pendrel Uninstall Wizard");
    EXPECT_EQ(box.type, win::MB_OK | win::MB_ICONWARNING);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(sim::machine().files.Exists(kProductExe));
}

}  // namespace
