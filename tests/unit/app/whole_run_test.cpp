// Whole runs through start-up on a machine with the product's full footprint: what the order of
// the association and records steps decides, how a wizard that does not end with OK
// leaves things, and the ways out that failing calls open.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "support/full_footprint.h"

namespace {

const win::HKEY LM = win::HKEY_LOCAL_MACHINE;
const win::HKEY CU = win::HKEY_CURRENT_USER;
const std::u16string kPdfChoice = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\UserChoice";

sim::RegistryState& Registry() { return sim::machine().registry; }

void RunSilently() {
    app::UninstallApp app;
    app.SetCommandLine(u"-DeletingNow-UninstForInst-InstallerPid=4242");
    app.InitInstance();
}

class WholeRun : public testing::Test {
protected:
    void SetUp() override {
        testing_support::LayDownForeignItems();
        testing_support::LayDownProduct();
        testing_support::PlaceTemporaryCopy();
    }
};

// The associations are judged while the product's ProgID still names its command: once the
// records step has deleted the ProgID, nothing would tell that ".pdf" is the product's.
TEST_F(WholeRun, AssociationsGoBeforeTheRecordsThatShowThemToBeTheProducts) {
    RunSilently();
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\Classes\\.pdf", u""));
    EXPECT_FALSE(Registry().HasValue(CU, kPdfChoice, u"Progid"));
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\Classes\\MIME\\Database\\Content Type\\application/pdf", u"CLSID"));
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\Classes\\OrvikPendrel.Document"));
    // The "open with" lists and the ".fdf" choice name the product no more; another program's
    // entry in the same list stays.
    const std::u16string fileExts = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\Classes\\.pdf\\OpenWithProgids", u"OrvikPendrel.Document"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Classes\\.pdf\\OpenWithProgids", u"Contoso.Document"));
    EXPECT_FALSE(Registry().HasValue(CU, fileExts + u".pdf\\OpenWithProgids", u"OrvikPendrel.Document"));
    EXPECT_FALSE(Registry().HasValue(CU, fileExts + u".fdf\\OpenWithProgids", u"OrvikPendrel.FDFDoc"));
    EXPECT_FALSE(Registry().HasValue(CU, fileExts + u".fdf\\UserChoice", u"Progid"));
}

// The administrator running the removal prefers another reader: the machine-wide values that
// name the product go all the same (the records step deletes the ProgIDs they name), and the
// administrator's own choice, naming the other reader, stays.
TEST_F(WholeRun, AnotherProgramChosenForPdfKeepsOnlyItsOwnChoice) {
    Registry().SetString(CU, kPdfChoice, u"Progid", u"Contoso.Document");
    Registry().SetString(LM, u"Software\\Classes\\Contoso.Document\\shell\\open\\command", u"", u"\"C:\\c.exe\" \"%1\"");

    RunSilently();

    EXPECT_EQ(sim::machine().files.pipe.writes, (std::vector<std::string>{"1", "2", "4", "6", "7", "8", "9", "10"}));
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\Classes\\.pdf", u""));
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\Classes\\.fdf", u""));
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\Classes\\MIME\\Database\\Content Type\\application/pdf", u"CLSID"));
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\Classes\\.pdf\\OpenWithProgids", u"OrvikPendrel.Document"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Classes\\.pdf\\OpenWithProgids", u"Contoso.Document"));
    EXPECT_EQ(Registry().GetString(CU, kPdfChoice, u"Progid"), u"Contoso.Document");
    EXPECT_TRUE(Registry().Exists(LM, u"Software\\Classes\\Contoso.Document\\shell\\open\\command"));
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\Classes\\OrvikPendrel.Document"));
}

// The install directory and the temporary copy stay for another attempt when the wizard ends
// in any other way than after the removal.
TEST_F(WholeRun, WizardEndingOtherThanOkKeepsTheInstallDirectoryAndTheTemporaryCopy) {
    // Nothing but the product's executable, which the in-use check deletes, is in it: an empty
    // directory that start-up would remove.
    sim::Reset();
    testing_support::InstallProduct();
    win::DeleteFileW((testing_support::kInstallDir + u"Uninstall.exe").c_str());
    testing_support::PlaceTemporaryCopy();
    auto& fs = sim::machine().files;
    sim::machine().windows.dialogFails = true;

    app::UninstallApp app;
    app.SetCommandLine(u"-DeletingNow");
    app.InitInstance();

    EXPECT_TRUE(fs.Exists(testing_support::kInstallDir));
    const auto removals = sim::machine().DeletionsTried("directory");
    EXPECT_EQ(std::count(removals.begin(), removals.end(), "C:\\Program Files\\Orvik Software\\Orvik Pendrel"), 0);
    EXPECT_TRUE(sim::machine().system.processes.empty());  // no deletion command for the copy
    EXPECT_TRUE(fs.Exists(sim::machine().system.modulePath));
}

TEST_F(WholeRun, WizardWhoseTimerCannotBeSetRemovesAtOnceAndEnds) {
    sim::machine().faults.failFunction = "SetTimer";

    app::UninstallApp app;
    app.SetCommandLine(u"-DeletingNow");
    app.InitInstance();

    EXPECT_EQ(sim::machine().faults.failed, "SetTimer");
    EXPECT_EQ(sim::machine().windows.modalStalls, 0);
    EXPECT_FALSE(sim::machine().files.Exists(testing_support::kInstallDir));
    ASSERT_EQ(sim::machine().windows.boxes.size(), 2u);
    EXPECT_EQ(sim::machine().windows.boxes[1].text, u"You have successfully removed Orvik Pendrel.");
    // The installed copy deletes this one: the only program it started is the plug-in's uninstaller.
    for (const sim::StartedProcess& started : sim::machine().system.processes)
        EXPECT_NE(started.application.find(u"PDFReaderPlugin.exe"), std::u16string::npos) << sim::Narrow(started.commandLine);
}

// The installed file that cannot move into the machine's temporary directory gives the name the
// system reserved there back and makes way in its own directory; nothing is scheduled by name.
TEST_F(WholeRun, AFailedMoveAsideGivesItsReservationBackAndMakesWayInTheInstallDirectory) {
    // The installed copy, before it has made any temporary copy.
    sim::Reset();
    testing_support::LayDownForeignItems();
    testing_support::LayDownProduct();
    sim::machine().faults.failFunction = "NtSetInformationFile";

    app::UninstallApp app;
    app.SetCommandLine(u"-UninstForInst");
    app.InitInstance();

    ASSERT_EQ(sim::machine().faults.failed, "NtSetInformationFile");
    EXPECT_FALSE(sim::machine().files.Exists(u"C:\\windows\\Temp\\orv1A2B.tmp"));
    const std::vector<std::string> changes = sim::machine().CallsTo("NtSetInformationFile");
    ASSERT_GE(changes.size(), 2u);
    EXPECT_EQ(changes[0], "C:\\windows\\Temp\\orv1A2B.tmp") << "the reservation given back";
    EXPECT_EQ(changes[1], "rename " + sim::Narrow(testing_support::kInstallDir) + "Uninstall.exe -> Uninstall.exe.1000.old");
    EXPECT_TRUE(sim::machine().files.pendingDeletes.empty());
    // Made way in its own directory, the file's deletion waits for this process's end: the copy
    // is the only process started meanwhile.
    ASSERT_EQ(sim::machine().system.processes.size(), 1u);
    EXPECT_NE(sim::machine().system.processes[0].commandLine.find(u"orv1A2B.exe\"-DeletingNow"), std::u16string::npos);
    EXPECT_FALSE(sim::machine().files.Exists(sim::machine().system.tempPath + u"orv1A2B.exe"));
}

// The ended copy's image is unmapped a moment after its process ends: its deletion through the
// handle is tried again until it goes.
TEST_F(WholeRun, TemporaryCopyIsDeletedThroughItsHandleOnceItsImageLetsGo) {
    sim::Reset();
    testing_support::LayDownForeignItems();
    testing_support::LayDownProduct();
    const std::u16string copy = sim::machine().system.tempPath + u"orv1A2B.exe";
    sim::machine().system.runningImages.push_back(copy);
    int tries = 0;
    sim::machine().onCall = [&](const std::string& function, const std::string& argument) {
        if (function == "NtSetInformationFile" && argument == sim::Narrow(copy) && ++tries == 3)
            sim::machine().system.runningImages.clear();
    };

    app::UninstallApp app;
    app.SetCommandLine(u"/quiet");
    app.InitInstance();
    sim::machine().onCall = nullptr;

    EXPECT_EQ(tries, 3);
    EXPECT_FALSE(sim::machine().files.Exists(copy));
    EXPECT_TRUE(sim::machine().files.pendingDeletes.empty());
    EXPECT_EQ(sim::OpenFileCount(), 0u);
}

}  // namespace
