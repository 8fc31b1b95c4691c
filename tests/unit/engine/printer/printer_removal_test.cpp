// The virtual printer step: printers on the product's driver, the driver, its files and port,
// the Word add-in, the retry prompts, silent mode and the platform checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/printer/printer_remover.h"
#include "engine/removal_report.h"
#include "engine/uninstaller.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/spooler.h"
#include "platform/window.h"
#include "support/printer_side.h"
#include "support/product_machine.h"

namespace {

using namespace testing_support::printer_side;
using sim::machine;

int g_unregisterCalls = 0;
win::HRESULT WIN_STDCALL CountingUnregister() {
    ++g_unregisterCalls;
    return 0;
}


class PrinterRemoval : public testing::Test {
protected:
    void SetUp() override {
        g_unregisterCalls = 0;
        host = testing_support::FakeHost();
        host.silent = false;
        InstallProduct(kX86Dir, win::kEnvironmentX86);
        // The cases below arrange the product's two printers and its driver by index.
        ASSERT_EQ(machine().spooler.printers.size(), 2u);
        ASSERT_EQ(machine().spooler.drivers.size(), 1u);
    }

    void InstallProduct(const std::u16string& driverDir, const std::u16string& environment) {
        auto& fs = machine().files;
        fs.AddFile(kInstallDir + u"\\Uninstall.exe");
        fs.AddFile(kAddin);
        machine().system.libraries[kAddin].exports["DllUnregisterServer"] =
            reinterpret_cast<win::FARPROC>(&CountingUnregister);
        for (auto* name : kStaging) fs.AddFile(driverDir + u"\\" + name);
        for (auto* name : kInstalled) fs.AddFile(driverDir + u"\\3\\" + name);
        auto& spooler = machine().spooler;
        spooler.AddDriver(kDriver, environment);
        spooler.ports.push_back(kPort);
        spooler.AddPrinter(u"Orvik Pendrel PDF", kDriver, kPort);
        spooler.AddPrinter(u"Orvik Pendrel PDF (Copy 2)", kDriver, kPort);
    }

    bool RunStep(const std::u16string& installPath = kInstallDir + u"\\") {
        engine::printer::PrinterRemover remover(host);
        remover.Configure(installPath, 60, 75);
        bool result = remover.Run();
        environment = remover.Environment();
        return result;
    }

    bool Exists(const std::u16string& path) { return machine().files.Exists(path); }
    std::vector<std::u16string> BoxTexts() {
        std::vector<std::u16string> texts;
        for (auto& box : machine().windows.boxes) texts.push_back(box.text);
        return texts;
    }
    // Nothing of the product's printer side has been touched.
    void ExpectNothingRemoved() {
        EXPECT_EQ(machine().spooler.printers.size(), 2u);
        EXPECT_TRUE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
        EXPECT_TRUE(machine().spooler.HasPort(kPort));
        for (auto* name : kStaging) EXPECT_TRUE(Exists(kX86Dir + u"\\" + name));
        for (auto* name : kInstalled) EXPECT_TRUE(Exists(kX86Dir + u"\\3\\" + name));
        EXPECT_TRUE(Exists(kAddin));
        EXPECT_EQ(g_unregisterCalls, 0);
        EXPECT_EQ(machine().DeletionsTried("file").size(), 0u);
        EXPECT_EQ(machine().CountCalls("MoveFileW"), 0u);
    }
    void ExpectHandlesBalanced() {
        EXPECT_TRUE(machine().spooler.handles.empty());
        EXPECT_EQ(machine().spooler.handlesOpened, machine().spooler.handlesClosed);
    }
    std::vector<int> Positions() { return host.positions; }

    testing_support::FakeHost host;
    std::u16string environment;
};

TEST_F(PrinterRemoval, RemovesBothProductPrintersInOrderThenDriverFilesPortAndAddin) {
    EXPECT_TRUE(RunStep());

    EXPECT_TRUE(machine().spooler.printers.empty());
    EXPECT_FALSE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
    EXPECT_FALSE(machine().spooler.HasPort(kPort));
    for (auto* name : kStaging) EXPECT_FALSE(Exists(kX86Dir + u"\\" + name));
    EXPECT_TRUE(machine().files.List(kX86Dir + u"\\3").empty());
    EXPECT_TRUE(machine().files.pendingDeletes.empty());
    EXPECT_EQ(g_unregisterCalls, 1);
    EXPECT_FALSE(Exists(kAddin));
    EXPECT_TRUE(BoxTexts().empty());
    ExpectHandlesBalanced();

    // Printers in enumeration order, then the driver, then the staging files, then the port.
    std::vector<std::string> order;
    for (const auto& call : machine().calls)
        if (call.rfind("DeletePrinter", 0) == 0 || call.rfind("XcvDataW", 0) == 0 ||
            call.find("\\w32x86\\ozrvpr_pnt.txt") != std::string::npos)
            order.push_back(call);
    EXPECT_EQ(order, (std::vector<std::string>{
                         "DeletePrinter Orvik Pendrel PDF",
                         "DeletePrinter Orvik Pendrel PDF (Copy 2)",
                         "DeletePrinterDriverW Windows NT x86|Orvik Pendrel Printer Driver",
                         "NtOpenFile delete file C:\\windows\\system32\\spool\\drivers\\w32x86\\ozrvpr_pnt.txt",
                         "NtSetInformationFile C:\\windows\\system32\\spool\\drivers\\w32x86\\ozrvpr_pnt.txt",
                         "XcvDataW DeletePort ORVIK_PENDREL:",
                     }));
    ASSERT_EQ(machine().spooler.commands.size(), 1u);
    EXPECT_EQ(machine().spooler.commands[0].inputSize, 30u);
    EXPECT_EQ(machine().CallsTo("OpenPrinterW").back(), ", XcvMonitor Local Port");
    // The install directory still holds the uninstaller, so it stays.
    EXPECT_TRUE(Exists(kInstallDir));
    EXPECT_EQ(machine().system.oleInitializeCalls, 1);
    EXPECT_EQ(machine().system.oleUninitializeCalls, 1);
    // By full path, with the libraries it needs looked for in its own directory first.
    EXPECT_EQ(machine().CallsTo("LoadLibraryExW"), std::vector<std::string>{sim::Narrow(kAddin) + " 0x8"});
    EXPECT_EQ(machine().system.librariesLoaded, machine().system.librariesFreed);
}

TEST_F(PrinterRemoval, ProgressMovesThroughTheStepAndTheEmptyInstallDirectoryGoes) {
    ASSERT_NE(machine().files.Find(kInstallDir + u"\\Uninstall.exe"), nullptr);
    machine().files.Find(kInstallDir + u"\\Uninstall.exe")->parent->children.clear();
    machine().files.AddFile(kAddin);
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(Positions(), (std::vector<int>{60, 64, 66, 67, 70, 75}));
    EXPECT_FALSE(Exists(kInstallDir));
}

TEST_F(PrinterRemoval, ForeignPrinterWithTheProductsNameIsLeftAlone) {
    machine().spooler.AddDriver(u"Contoso Text Printer Driver");
    machine().spooler.AddPrinter(u"Orvik Pendrel Printer", u"Contoso Text Printer Driver", u"LPT1:");
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(machine().spooler.PrinterNames(), std::vector<std::u16string>{u"Orvik Pendrel Printer"});
    EXPECT_TRUE(machine().spooler.HasDriver(u"Contoso Text Printer Driver", win::kEnvironmentX86));
    EXPECT_EQ(machine().CountCalls("OpenPrinterW"), 3u);  // two product printers and the port monitor
}

TEST_F(PrinterRemoval, NoPrinterAndNoDriverStillRemovesFilesAndPortWithoutAsking) {
    // Windows answers 1797; Wine fails leaving whatever error came before.
    for (win::DWORD notInstalled : {win::ERROR_UNKNOWN_PRINTER_DRIVER, win::ERROR_FILE_NOT_FOUND, win::ERROR_SUCCESS}) {
        SCOPED_TRACE(notInstalled);
        auto& spooler = machine().spooler;
        spooler.printers.clear();
        spooler.drivers.clear();
        spooler.missingDriverError = notInstalled;
        machine().windows.boxes.clear();
        for (auto* name : kStaging) machine().files.AddFile(kX86Dir + u"\\" + name);
        for (auto* name : kInstalled) machine().files.AddFile(kX86Dir + u"\\3\\" + name);
        spooler.ports = {kPort};

        EXPECT_TRUE(RunStep());
        EXPECT_TRUE(BoxTexts().empty());
        for (auto* name : kStaging) EXPECT_FALSE(Exists(kX86Dir + u"\\" + name));
        EXPECT_TRUE(machine().files.List(kX86Dir + u"\\3").empty());
        EXPECT_FALSE(spooler.HasPort(kPort));
    }
}

TEST_F(PrinterRemoval, PrinterInUseIsRetriedAfterOk) {
    machine().spooler.printers[0].failOpens = 1;
    machine().spooler.printers[1].failDeletes = 2;
    machine().windows.answers = {win::IDOK, win::IDOK, win::IDOK};

    EXPECT_TRUE(RunStep());
    EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{i18n::BuiltInText(13), i18n::BuiltInText(14), i18n::BuiltInText(14)}));
    for (const auto& box : machine().windows.boxes) {
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.caption, u"Orvik Pendrel Printer");
        EXPECT_EQ(box.type, win::MB_OKCANCEL);
    }
    EXPECT_TRUE(machine().spooler.printers.empty());
    EXPECT_FALSE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
    ExpectHandlesBalanced();
}

TEST_F(PrinterRemoval, CancelAtAPrinterLeavesDriverFilesPortAndAddinButTheSequenceGoesOn) {
    struct Case {
        const char* what;
        int failOpens, failDeletes;
        std::u16string message;
    };
    for (const Case& c : {Case{"open", -1, 0, i18n::BuiltInText(13)}, Case{"delete", 0, -1, i18n::BuiltInText(14)}}) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        SetUp();
        machine().spooler.printers[0].failOpens = c.failOpens;
        machine().spooler.printers[0].failDeletes = c.failDeletes;
        machine().windows.answers = {win::IDOK, win::IDCANCEL};

        EXPECT_FALSE(RunStep());
        EXPECT_EQ(BoxTexts(), (std::vector<std::u16string>{c.message, c.message}));
        ExpectNothingRemoved();
        EXPECT_EQ(Positions(), (std::vector<int>{60, 64}));
        ExpectHandlesBalanced();
    }

    // In the whole sequence the step's cancellation is not the end of the run.
    host.PlaceProduct(kInstallDir + u"\\");
    engine::Uninstaller uninstaller(host);
    uninstaller.RunUninstall();
    EXPECT_EQ(host.reports, (std::vector<int>{1, 2, 4, 6, 7, 8, 9, 10}));
}

TEST_F(PrinterRemoval, DriverInUseIsRetriedOrGivenUp) {
    machine().spooler.drivers[0].failDeletes = 1;
    machine().windows.answers = {win::IDOK};
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{i18n::BuiltInText(15)});
    EXPECT_FALSE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));

    sim::Reset();
    SetUp();
    machine().spooler.drivers[0].failDeletes = -1;
    machine().windows.answers = {win::IDCANCEL};
    EXPECT_FALSE(RunStep());
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{i18n::BuiltInText(15)});
    EXPECT_TRUE(machine().spooler.printers.empty());
    EXPECT_TRUE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
    EXPECT_TRUE(machine().spooler.HasPort(kPort));
    for (auto* name : kStaging) EXPECT_TRUE(Exists(kX86Dir + u"\\" + name));
    EXPECT_TRUE(Exists(kAddin));
}

// The spooler keeps a deleted printer, pending, while a job waits in its queue; its driver is in
// use till then. The user is asked, and a retry once the queue is empty removes the driver.
TEST_F(PrinterRemoval, PrinterPendingDeletionKeepsItsDriverTillItsQueueIsEmpty) {
    machine().spooler.printers[0].jobs = 1;
    machine().windows.answers = {win::IDOK};
    machine().onCall = [](const std::string& function, const std::string&) {
        // The job prints while the box is up.
        if (function == "MessageBoxW") machine().spooler.FinishJobs(u"Orvik Pendrel PDF");
    };
    EXPECT_TRUE(RunStep());
    machine().onCall = nullptr;
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{i18n::BuiltInText(15)});
    EXPECT_TRUE(machine().spooler.printers.empty());
    EXPECT_FALSE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
    ExpectHandlesBalanced();

    // A queue that never empties: the user gives up, and the driver, its files and port stay.
    sim::Reset();
    SetUp();
    machine().spooler.printers[1].jobs = 3;
    machine().windows.answers = {win::IDCANCEL};
    EXPECT_FALSE(RunStep());
    ASSERT_EQ(machine().spooler.PrinterNames(), std::vector<std::u16string>{u"Orvik Pendrel PDF (Copy 2)"});
    EXPECT_TRUE(machine().spooler.printers[0].pendingDeletion);
    EXPECT_TRUE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
    EXPECT_TRUE(machine().spooler.HasPort(kPort));
    ExpectHandlesBalanced();
}

TEST_F(PrinterRemoval, SilentModeNeverAsksAndPassesOverWhatIsBusy) {
    host.silent = true;
    machine().spooler.printers[0].failOpens = -1;
    EXPECT_TRUE(RunStep());
    EXPECT_TRUE(BoxTexts().empty());
    // The printer loop ends at the busy printer; the driver it still uses is passed over.
    EXPECT_EQ(machine().spooler.printers.size(), 2u);
    EXPECT_EQ(machine().CountCalls("DeletePrinterDriverW"), 1u);
    EXPECT_TRUE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
    for (auto* name : kStaging) EXPECT_FALSE(Exists(kX86Dir + u"\\" + name));
    EXPECT_EQ(machine().spooler.commands.size(), 1u);
    EXPECT_TRUE(machine().files.List(kX86Dir + u"\\3").empty());
    EXPECT_EQ(g_unregisterCalls, 1);
    EXPECT_FALSE(Exists(kAddin));
    ExpectHandlesBalanced();

    sim::Reset();
    SetUp();
    host.silent = true;
    machine().spooler.printers[1].failDeletes = -1;
    machine().spooler.drivers[0].failDeletes = -1;
    EXPECT_TRUE(RunStep());
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(machine().spooler.PrinterNames(), std::vector<std::u16string>{u"Orvik Pendrel PDF (Copy 2)"});
    EXPECT_FALSE(Exists(kAddin));
    ExpectHandlesBalanced();
}

TEST_F(PrinterRemoval, LockedInstalledFileIsRenamedAndItsTemporaryNameDeletedAtRestart) {
    ASSERT_NE(machine().files.Find(kX86Dir + u"\\3\\ozrvpr_ui.dll"), nullptr);
    machine().files.Find(kX86Dir + u"\\3\\ozrvpr_ui.dll")->inUse = true;
    EXPECT_TRUE(RunStep());
    EXPECT_FALSE(Exists(kX86Dir + u"\\3\\ozrvpr_ui.dll"));
    EXPECT_TRUE(Exists(kX86Dir + u"\\3\\kvTmp2.tmp"));
    EXPECT_EQ(machine().files.pendingDeletes, std::vector<std::u16string>{kX86Dir + u"\\3\\kvTmp2.tmp"});
    EXPECT_EQ(machine().files.List(kX86Dir + u"\\3"), std::vector<std::u16string>{u"kvTmp2.tmp"});
}

TEST_F(PrinterRemoval, TemporaryNameLeftFromAnEarlierRun) {
    // Not held any more: it goes, and the installed file follows under the same name.
    machine().files.AddFile(kX86Dir + u"\\3\\kvTmp1.tmp", "old");
    // Still held: scheduled again; the installed file, not held, is deleted directly.
    machine().files.AddFile(kX86Dir + u"\\3\\kvTmp3.tmp", "old").inUse = true;
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(machine().files.List(kX86Dir + u"\\3"), std::vector<std::u16string>{u"kvTmp3.tmp"});
    EXPECT_EQ(machine().files.pendingDeletes, std::vector<std::u16string>{kX86Dir + u"\\3\\kvTmp3.tmp"});
    ASSERT_NE(machine().files.Find(kX86Dir + u"\\3\\kvTmp3.tmp"), nullptr);
    EXPECT_EQ(machine().files.Find(kX86Dir + u"\\3\\kvTmp3.tmp")->content, "old");
}

// Only the product's own file is left for the restart: a leftover temporary name that is a link
// goes as itself now, or stays; it is never scheduled by name, which would take what it leads to.
TEST_F(PrinterRemoval, ALeftoverTemporaryNameGoesAtRestartOnlyAsTheProductsOwnFile) {
    const std::u16string kLeftover = kX86Dir + u"\\3\\kvTmp3.tmp";
    const std::u16string kVictim = u"C:\\windows\\system32\\victim.dll";
    struct Case {
        const char* name;
        void (*plant)(const std::u16string& at, const std::u16string& victim);
        bool leftoverStays;
        bool scheduled;
    };
    const Case cases[] = {
        {"held", [](const std::u16string& at, const std::u16string&) { machine().files.AddFile(at, "old").inUse = true; },
         true, true},
        {"a Unix link to a system file",
         [](const std::u16string& at, const std::u16string& victim) { machine().files.AddUnixLink(at, victim); }, true,
         false},
        {"a symbolic link to a system file",
         [](const std::u16string& at, const std::u16string& victim) { machine().files.AddFileLink(at, victim); }, false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        SetUp();
        machine().files.AddFile(kVictim, "MZ");
        c.plant(kLeftover, kVictim);

        EXPECT_TRUE(RunStep());

        EXPECT_EQ(Exists(kLeftover), c.leftoverStays);
        EXPECT_EQ(machine().files.pendingDeletes, c.scheduled ? std::vector<std::u16string>{kLeftover}
                                                              : std::vector<std::u16string>{});
        const sim::FileNode* victim = machine().files.Find(kVictim);
        ASSERT_NE(victim, nullptr);
        EXPECT_EQ(victim->content, "MZ");
        EXPECT_FALSE(Exists(kX86Dir + u"\\3\\ozrvpr_drv.dll"));
    }
}

TEST_F(PrinterRemoval, WithoutRightsOrOnAnOldWindowsNothingIsRemoved) {
    struct Case {
        const char* what;
        void (*arrange)();
    };
    const Case cases[] = {
        {"no administrator",
         [] {
             sim::RegKey* software = machine().registry.Find(win::HKEY_LOCAL_MACHINE, u"Software");
             ASSERT_NE(software, nullptr);
             software->denyWrite = true;
         }},
        {"Windows NT 4", [] { machine().system.majorVersion = 4; }},
        {"no version", [] { machine().system.versionQuery = sim::VersionQuery::BothFail; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        SetUp();
        c.arrange();
        EXPECT_FALSE(RunStep());
        ExpectNothingRemoved();
        EXPECT_EQ(machine().CountCalls("EnumPrintersW"), 0u);
        EXPECT_TRUE(BoxTexts().empty());
    }
}

// A stopped or disabled spooler keeps the printer side out of reach, but the Word add-in is the
// product's: Word must not go on loading it from a removed product's directory.
TEST_F(PrinterRemoval, WithoutDriverDirectoryTheWordAddinStillGoes) {
    struct Case {
        const char* what;
        void (*arrange)();
    };
    const Case cases[] = {
        {"no driver directory", [] { machine().spooler.driverDirectoryFails = true; }},
        {"driver directory at a root", [] { machine().spooler.driverDirectories[win::kEnvironmentX86] = u"C:\\"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        SetUp();
        c.arrange();
        EXPECT_FALSE(RunStep());
        EXPECT_EQ(g_unregisterCalls, 1);
        EXPECT_FALSE(Exists(kAddin));
        EXPECT_EQ(machine().DeletionsTried("file"), std::vector<std::string>{sim::Narrow(kAddin)});
        EXPECT_EQ(machine().spooler.printers.size(), 2u);
        EXPECT_TRUE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
        EXPECT_TRUE(machine().spooler.HasPort(kPort));
        for (auto* name : kInstalled) EXPECT_TRUE(Exists(kX86Dir + u"\\3\\" + name));
        EXPECT_EQ(machine().CountCalls("EnumPrintersW"), 0u);
        EXPECT_EQ(machine().CountCalls("MoveFileW"), 0u);
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_EQ(Positions(), (std::vector<int>{60, 75}));
    }
}

TEST_F(PrinterRemoval, OlderVersionQueryStillWorks) {
    machine().system.versionQuery = sim::VersionQuery::ExtendedFails;
    EXPECT_TRUE(RunStep());
    EXPECT_TRUE(machine().spooler.printers.empty());
}

TEST_F(PrinterRemoval, WordAddinMissingOrWithoutUnregistrationOrOleFailing) {
    ASSERT_NE(machine().files.Find(kAddin), nullptr);
    machine().files.Find(kAddin)->parent->children.clear();
    machine().system.libraries.clear();
    EXPECT_TRUE(RunStep());
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(machine().system.oleInitializeCalls, 0) << "nothing to unregister, no OLE";
    EXPECT_EQ(machine().CountCalls("LoadLibraryExW"), 0u);

    sim::Reset();
    SetUp();
    machine().system.libraries[kAddin].exports.clear();
    EXPECT_TRUE(RunStep());
    EXPECT_FALSE(Exists(kAddin));
    EXPECT_EQ(machine().system.librariesLoaded, machine().system.librariesFreed);

    sim::Reset();
    SetUp();
    machine().system.oleInitializeResult = static_cast<win::HRESULT>(0x80004005);
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(g_unregisterCalls, 0);
    EXPECT_EQ(machine().system.oleUninitializeCalls, 0);
    EXPECT_FALSE(Exists(kAddin));
}

TEST_F(PrinterRemoval, UnknownInstallDirectoryFormsNoPathFromIt) {
    for (const std::u16string& installPath : {std::u16string(), u"C:\\" + std::u16string(300, u'x') + u"\\"}) {
        sim::Reset();
        SetUp();
        EXPECT_TRUE(RunStep(installPath));
        EXPECT_TRUE(machine().spooler.printers.empty());
        EXPECT_TRUE(Exists(kAddin));
        EXPECT_EQ(machine().system.oleInitializeCalls, 0);
        EXPECT_EQ(machine().DeletionsTried("directory").size(), 0u);
    }
}

TEST_F(PrinterRemoval, PrinterListThatChangesBetweenTheTwoCallsEndsTheLoopOnly) {
    host.silent = true;
    machine().spooler.filledEnumerationFails = true;
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(machine().spooler.printers.size(), 2u);
    EXPECT_EQ(machine().CountCalls("OpenPrinterW"), 1u);  // the port monitor only
    EXPECT_EQ(machine().CountCalls("DeletePrinterDriverW"), 1u);
    EXPECT_FALSE(Exists(kAddin));
}

class PrinterPlatform : public PrinterRemoval {
protected:
    void SetUp() override {
        g_unregisterCalls = 0;
        host = testing_support::FakeHost();
        host.silent = false;
    }
};

TEST_F(PrinterPlatform, ThirtyTwoBitBuildUnderWow64LooksAfterTheX64Driver) {
    InstallProduct(kX64Dir, win::kEnvironmentX64);
    machine().spooler.AddDriver(kDriver, win::kEnvironmentX86);  // a 32-bit driver of the same name
    machine().system.wow64 = sim::Wow64::Yes;
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(environment, win::kEnvironmentX64);
    EXPECT_FALSE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX64));
    EXPECT_TRUE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
    for (auto* name : kStaging) EXPECT_FALSE(Exists(kX64Dir + u"\\" + name));
    EXPECT_TRUE(machine().files.List(kX64Dir + u"\\3").empty());
}

TEST_F(PrinterPlatform, SixtyFourBitBuildIsNative) {
    InstallProduct(kX64Dir, win::kEnvironmentX64);
    machine().system.process64Bit = true;
    machine().system.wow64 = sim::Wow64::FunctionMissing;
    EXPECT_TRUE(RunStep());
    EXPECT_EQ(environment, win::kEnvironmentX64);
    EXPECT_EQ(machine().CountCalls("LoadLibraryExW"), 1u);  // the add-in only
    EXPECT_FALSE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX64));
    EXPECT_TRUE(machine().files.List(kX64Dir + u"\\3").empty());
}

TEST_F(PrinterPlatform, WithoutAnswerFromIsWow64ProcessTheDriverIs32Bit) {
    for (sim::Wow64 wow64 : {sim::Wow64::FunctionMissing, sim::Wow64::CallFails, sim::Wow64::No}) {
        sim::Reset();
        SetUp();
        InstallProduct(kX86Dir, win::kEnvironmentX86);
        machine().system.wow64 = wow64;
        EXPECT_TRUE(RunStep());
        EXPECT_EQ(environment, win::kEnvironmentX86);
        EXPECT_EQ(machine().CallsTo("GetPrinterDriverDirectoryW"), std::vector<std::string>{"Windows NT x86"});
        EXPECT_FALSE(machine().spooler.HasDriver(kDriver, win::kEnvironmentX86));
        EXPECT_EQ(machine().system.librariesLoaded, machine().system.librariesFreed);
    }
}

TEST_F(PrinterRemoval, StepInTheSequenceMovesItsShareOfTheProgressBar) {
    host.PlaceProduct(kInstallDir + u"\\");
    engine::Uninstaller uninstaller(host);
    uninstaller.RemovePrinter();
    EXPECT_EQ(Positions(), (std::vector<int>{60, 64, 66, 67, 70, 75}));
    EXPECT_TRUE(machine().spooler.printers.empty());
}

// The monitor's call succeeds whenever it was asked; its answer is in the status. Only "deleted"
// and "no such port" count as removed: a port another maker's printer still prints to stays, the
// log says so, and the run's look afterwards names it.
TEST_F(PrinterRemoval, PortCountsAsRemovedOnlyWhenTheMonitorSaysItIsGone) {
    struct Case {
        const char* what;
        void (*arrange)();
        bool left;
        std::u16string line;
    };
    const Case cases[] = {
        {"deleted", [] {}, false, u"removed: printer port ORVIK_PENDREL:"},
        {"never there", [] { machine().spooler.ports.clear(); }, false, u"not there: printer port ORVIK_PENDREL:"},
        {"unknown to the monitor",
         [] {
             machine().spooler.ports.clear();
             machine().spooler.missingPortStatus = win::ERROR_UNKNOWN_PORT;
         },
         false, u"not there: printer port ORVIK_PENDREL:"},
        {"another printer prints to it",
         [] {
             machine().spooler.AddDriver(u"Contoso Text Printer Driver");
             machine().spooler.AddPrinter(u"Contoso Text", u"Contoso Text Printer Driver", kPort);
         },
         true, u"not removed: printer port ORVIK_PENDREL: (Windows error 170"},
        {"monitor cannot be opened", [] { machine().spooler.monitorOpenFails = true; }, true,
         u"not removed: printer port ORVIK_PENDREL: (Windows error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        SetUp();
        c.arrange();
        engine::printer::PrinterRemover remover(host);
        remover.Configure(kInstallDir + u"\\", 60, 75);
        host.context = engine::RemovalContext(host);
        EXPECT_TRUE(remover.Run());
        EXPECT_EQ(remover.IsPortLeft(), c.left);
        EXPECT_EQ(machine().spooler.HasPort(kPort), c.left);
        const auto line = std::find_if(host.notes.begin(), host.notes.end(), [](const std::u16string& note) {
            return note.find(u"printer port") != std::u16string::npos;
        });
        ASSERT_NE(line, host.notes.end());
        EXPECT_EQ(line->substr(0, c.line.size()), c.line) << sim::Narrow(*line);
        ExpectHandlesBalanced();
    }
}

// The whole removal with the port still printed to: the run's look afterwards names the port, and
// the completion box says that not everything could be removed.
TEST_F(PrinterRemoval, PortHeldByAnotherPrinterLeavesTheRunIncomplete) {
    testing_support::InstallProduct();
    machine().spooler.AddDriver(u"Contoso Text Printer Driver");
    machine().spooler.AddPrinter(u"Contoso Text", u"Contoso Text Printer Driver", kPort);
    host.wizard = machine().windows.AddWindow(u"Orvik Pendrel Uninstall Wizard");
    engine::Uninstaller uninstaller(host);
    ASSERT_TRUE(uninstaller.PrepareUninstall());
    uninstaller.RunUninstall();

    EXPECT_EQ(uninstaller.Outcome().left, std::vector<std::u16string>{engine::printer::kPortItem});
    ASSERT_EQ(machine().windows.boxes.size(), 1u);
    EXPECT_EQ(machine().windows.boxes[0].text.substr(0, i18n::BuiltInText(21).size()), i18n::BuiltInText(21));
}

}  // namespace
