// The printer step asks the spooler only when the machine's records or the driver directory show
// something of the product's printer; whatever is there is removed as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/printer/printer_remover.h"
#include "engine/removal_report.h"
#include "engine/uninstaller.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/spooler.h"
#include "support/printer_side.h"
#include "support/product_machine.h"

namespace {

using namespace testing_support::printer_side;
using sim::machine;

const std::u16string kPrint = u"SYSTEM\\CurrentControlSet\\Control\\Print";
const std::u16string kPorts = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const char* const kSpoolerCalls[] = {"EnumPrintersW",       "OpenPrinterW",      "DeletePrinterDriverW",
                                     "EnumPrinterDriversW", "XcvDataW",          "GetPrinterDriverDirectoryW"};

std::size_t SpoolerCalls() {
    std::size_t calls = 0;
    for (const char* function : kSpoolerCalls) calls += machine().CountCalls(function);
    return calls;
}

sim::RegKey& MachineKey(const std::u16string& path) { return *machine().registry.Find(win::HKEY_LOCAL_MACHINE, path); }

void AddForeignPrinter() {
    machine().spooler.AddDriver(u"Contoso Text Printer Driver");
    machine().spooler.ports.push_back(u"LPT1:");
    machine().spooler.AddPrinter(u"Orvik Pendrel Printer", u"Contoso Text Printer Driver", u"LPT1:");
}

// Nothing of the product's printer is left where the spooler and the driver directory keep it.
void ExpectPrinterSideGone() {
    const auto& spooler = machine().spooler;
    EXPECT_TRUE(std::none_of(spooler.printers.begin(), spooler.printers.end(),
                             [](const sim::SimPrinter& p) { return p.driver == kDriver; }));
    EXPECT_FALSE(spooler.HasDriver(kDriver, win::kEnvironmentX86));
    EXPECT_FALSE(spooler.HasPort(kPort));
    for (const char16_t* name : {u"ozrvpr_ui.dll", u"3\\KVC_ProxyProcess.exe", u"3\\kvTmp4.tmp"})
        EXPECT_FALSE(machine().files.Exists(kX86Dir + u"\\" + name)) << sim::Narrow(name);
}

TEST(PrinterRecords, TheSpoolerIsAskedOnlyWhenSomethingOfThePrinterIsThereOrTheRecordsCannotTell) {
    struct Case {
        const char* what;
        void (*arrange)();
        bool asked;
    };
    const Case cases[] = {
        {"nothing of the printer", [] {}, false},
        {"a printer on the product's driver",
         [] { machine().spooler.AddPrinter(u"Orvik Pendrel PDF", kDriver, u"LPT1:"); }, true},
        {"the driver", [] { machine().spooler.AddDriver(kDriver, win::kEnvironmentX86); }, true},
        {"the driver under another version",
         [] {
             machine().registry.Create(win::HKEY_LOCAL_MACHINE,
                                       kPrint + u"\\Environments\\Windows NT x86\\Drivers\\Version-4\\" + kDriver);
         },
         true},
        {"the port", [] { machine().spooler.ports.push_back(kPort); }, true},
        {"a staged driver file", [] { machine().files.AddFile(kX86Dir + u"\\ozrvpr_ui.dll"); }, true},
        {"an installed driver file", [] { machine().files.AddFile(kX86Dir + u"\\3\\KVC_ProxyProcess.exe"); }, true},
        {"a temporary name left for the restart", [] { machine().files.AddFile(kX86Dir + u"\\3\\kvTmp4.tmp"); }, true},
        {"the driver for the other environment only",
         [] { machine().spooler.AddDriver(kDriver, win::kEnvironmentX64); }, false},
        {"another maker's printer with the product's printer name", AddForeignPrinter, false},
        {"the spooler's records cannot be opened", [] { MachineKey(kPrint).denyOpen = true; }, true},
        {"a printer's record cannot be opened",
         [] {
             AddForeignPrinter();
             sim::WriteSpoolerRecords();
             MachineKey(kPrint + u"\\Printers\\Orvik Pendrel Printer").denyOpen = true;
         },
         true},
        {"the ports cannot be read", [] { MachineKey(kPorts).denyOpen = true; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        machine().files.AddFile(kAddin, "MZ");
        c.arrange();
        testing_support::FakeHost host;
        host.context = engine::RemovalContext(host);
        engine::printer::PrinterRemover remover(host);
        remover.Configure(kInstallDir + u"\\", 60, 75);
        EXPECT_TRUE(remover.Run());
        const bool driverLeft = remover.IsDriverInstalled();

        EXPECT_EQ(machine().CountCalls("GetPrinterDriverDirectoryW") > 0, c.asked);
        if (!c.asked) {
            EXPECT_EQ(SpoolerCalls(), 0u);
            EXPECT_NE(std::find(host.notes.begin(), host.notes.end(), u"not there: printer port " + kPort),
                      host.notes.end());
        }
        ExpectPrinterSideGone();
        EXPECT_FALSE(driverLeft);
        EXPECT_FALSE(remover.IsPortLeft());
        EXPECT_TRUE(remover.FilesLeft().empty());
        // The Word add-in is the product's whatever the spooler holds.
        EXPECT_FALSE(machine().files.Exists(kAddin));
        EXPECT_EQ(host.positions, (std::vector<int>{60, 64, 66, 67, 70, 75}));
        // Only the machine's records count: a user's own could hide what the machine has.
        for (const std::string& access : machine().registry.keyAccess)
            EXPECT_EQ(access.find(" HKCU"), std::string::npos) << access;
    }
}

// In the sequence, a machine without the printer has nothing of it left, and the look after the
// step does not ask the spooler either.
TEST(PrinterRecords, NothingThereLeavesNothingInTheLookAfterTheRun) {
    testing_support::FakeHost host;
    testing_support::InstallProduct();
    engine::Uninstaller uninstaller(host);
    uninstaller.RemovePrinter();
    EXPECT_EQ(SpoolerCalls(), 0u);
    for (const std::u16string& item : uninstaller.ItemsLeft())
        EXPECT_EQ(item.find(u"printer"), std::u16string::npos) << sim::Narrow(item);
}

}  // namespace
