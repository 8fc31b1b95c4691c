// The association and records steps on the simulated machine: which association values go,
// whoever's choice they were, and what the records step removes and keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry/product_registry.h"
#include "engine/removal_report.h"
#include "engine/uninstaller.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "support/product_machine.h"

namespace {

const win::HKEY LM = win::HKEY_LOCAL_MACHINE;
const win::HKEY CU = win::HKEY_CURRENT_USER;
const win::HKEY CR = win::HKEY_CLASSES_ROOT;

const std::u16string kInstallDir = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
const std::u16string kCommand = u"\"" + kInstallDir + u"Orvik Pendrel.exe\" \"%1\"";
const std::u16string kDocClsid = u"{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}";
const std::u16string kFdfClsid = u"{C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8}";
const std::u16string kFileExts = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
const std::u16string kPdfChoice = kFileExts + u".pdf\\UserChoice";
const std::u16string kFdfChoice = kFileExts + u".fdf\\UserChoice";
const std::u16string kMimePdf = u"Software\\Classes\\MIME\\Database\\Content Type\\application/pdf";
const std::u16string kMimeFdf = u"Software\\Classes\\MIME\\Database\\Content Type\\application/vnd.fdf";
const std::u16string kChineseName = u"\u6C83\u5C9APendrel";


sim::RegistryState& Registry() { return sim::machine().registry; }

struct Fixture : testing::Test {
    testing_support::FakeHost host;
    engine::Uninstaller uninstaller{host};
    Fixture() { host.PlaceProduct(kInstallDir); }

    void SetCommand(const std::u16string& progId, const std::u16string& command) {
        Registry().SetString(LM, u"Software\\Classes\\" + progId + u"\\shell\\open\\command", u"", command);
    }
    // The product's associations as its installer leaves them.
    void InstallAssociations() {
        auto& r = Registry();
        SetCommand(u"OrvikPendrel.Document", kCommand);
        SetCommand(u"OrvikPendrel.FDFDoc", kCommand);
        r.SetString(LM, u"Software\\Classes\\OrvikPendrel.Document\\CLSID", u"", kDocClsid);
        r.SetString(LM, u"Software\\Classes\\OrvikPendrel.FDFDoc\\CLSID", u"", kFdfClsid);
        r.SetString(LM, u"Software\\Classes\\.pdf", u"", u"OrvikPendrel.Document");
        r.SetString(LM, u"Software\\Classes\\.pdf", u"Content Type", u"application/pdf");
        for (win::HKEY root : {LM, CU}) {
            r.SetString(root, u"Software\\Classes\\.pdf\\OpenWithProgids", u"OrvikPendrel.Document", u"");
            r.SetString(root, u"Software\\Classes\\.pdf\\OpenWithProgids", u"Other.Reader", u"");
        }
        r.SetString(LM, u"Software\\Classes\\.fdf\\OpenWithProgids", u"OrvikPendrel.FDFDoc", u"");
        r.SetString(CU, kFileExts + u".pdf\\OpenWithProgids", u"OrvikPendrel.Document", u"");
        r.SetString(LM, u"Software\\Classes\\.fdf", u"", u"OrvikPendrel.FDFDoc");
        r.SetString(LM, kMimePdf, u"CLSID", kDocClsid);
        r.SetString(LM, kMimePdf, u"Extension", u".pdf");
        r.SetString(LM, kMimeFdf, u"CLSID", kFdfClsid);
        r.SetString(CU, kPdfChoice, u"Progid", u"OrvikPendrel.Document");
        r.SetString(CU, kFileExts + u".fdf", u"Progid", u"OrvikPendrel.FDFDoc");
        r.SetString(CU, kFdfChoice, u"Progid", u"OrvikPendrel.FDFDoc");
        r.SetString(CU, u"Software\\Classes\\.pdf", u"", u"OrvikPendrel.Document");
        r.SetString(CU, u"Software\\Classes\\.fdf", u"", u"OrvikPendrel.FDFDoc");
        r.SetString(CU, kMimePdf, u"CLSID", kDocClsid);
        r.SetString(CU, kMimeFdf, u"CLSID", kFdfClsid);
    }
    bool Has(win::HKEY root, const std::u16string& key, const std::u16string& name) {
        return Registry().HasValue(root, key, name);
    }
    // The extension defaults and MIME class identifiers InstallAssociations lays down under both
    // roots are gone.
    void ExpectClassesValuesGone() {
        for (win::HKEY root : {LM, CU}) {
            SCOPED_TRACE(root == LM ? "HKLM" : "HKCU");
            EXPECT_FALSE(Has(root, u"Software\\Classes\\.pdf", u""));
            EXPECT_FALSE(Has(root, u"Software\\Classes\\.fdf", u""));
            EXPECT_FALSE(Has(root, kMimePdf, u"CLSID"));
            EXPECT_FALSE(Has(root, kMimeFdf, u"CLSID"));
        }
    }
};

// ---- Whose choice it is does not matter -----------------------------------------------

// Whatever the user running the removal has chosen for ".pdf" (the product in any spelling of its
// command, another reader, a ProgID without a command, nothing at all, a choice that cannot be
// read), every association value that names the product goes, every one that names another
// program stays, and no key appears: the values are the machine's and every user's, and the
// records step deletes the ProgIDs they name.
struct ChoiceCase {
    const char* what;
    void (*arrange)(sim::RegistryState&);
};

const ChoiceCase kChoices[] = {
    {"the product's command in other letter case", [](sim::RegistryState& r) {
         r.SetString(LM, u"Software\\Classes\\OrvikPendrel.Document\\shell\\open\\command", u"",
                     u"\"c:\\program files\\orvik software\\orvik pendrel\\ORVIK PENDREL.EXE\" \"%1\"");
     }},
    {"the product's ProgID with a short path", [](sim::RegistryState& r) {
         r.SetString(LM, u"Software\\Classes\\OrvikPendrel.Document\\shell\\open\\command", u"",
                     u"\"C:\\PROGRA~1\\ORVIKS~1\\ORVIKP~1\\ORVIKP~1.EXE\" \"%1\"");
     }},
    {"another reader", [](sim::RegistryState& r) {
         r.SetString(CU, kPdfChoice, u"Progid", u"Other.Reader");
     }},
    {"another reader's ProgID without an open command", [](sim::RegistryState& r) {
         r.SetString(CU, kPdfChoice, u"Progid", u"Other.Reader");
         ASSERT_NE(r.Find(LM, u"Software\\Classes\\Other.Reader\\shell"), nullptr);
         r.Find(LM, u"Software\\Classes\\Other.Reader\\shell")->subkeys.clear();
     }},
    {"a ProgID that does not exist", [](sim::RegistryState& r) {
         r.SetString(CU, kPdfChoice, u"Progid", u"Gone.Reader");
     }},
    {"a ProgID of 64 characters", [](sim::RegistryState& r) {
         r.SetString(CU, kPdfChoice, u"Progid", std::u16string(64, u'x'));
     }},
    {"no choice anywhere", [](sim::RegistryState& r) {
         ASSERT_NE(r.Find(CU, kPdfChoice), nullptr);
         r.Find(CU, kPdfChoice)->values.clear();
     }},
    {"the product before Vista, by its application name", [](sim::RegistryState& r) {
         sim::machine().system.majorVersion = 5;
         r.SetString(CU, kFileExts + u".pdf", u"Application", u"Orvik Pendrel.exe");
     }},
};

TEST_F(Fixture, EveryValueNamingTheProductGoesWhateverTheUserChose) {
    for (const ChoiceCase& choice : kChoices) {
        SCOPED_TRACE(choice.what);
        sim::Reset();
        InstallAssociations();
        auto& r = Registry();
        r.SetString(LM, u"Software\\Classes\\Other.Reader\\shell\\open\\command", u"", u"\"C:\\o.exe\" \"%1\"");
        r.SetString(LM, u"Software\\Classes\\Other.Reader\\CLSID", u"", u"{0000000A-0000-0000-0000-000000000000}");
        r.SetString(CU, kFileExts + u".fdf\\OpenWithProgids", u"Other.FDF", u"");
        choice.arrange(r);
        const std::u16string userChoice = r.GetString(CU, kPdfChoice, u"Progid").value_or(u"");

        uninstaller.RunUninstall();

        ExpectClassesValuesGone();
        for (win::HKEY root : {LM, CU}) {
            EXPECT_FALSE(Has(root, u"Software\\Classes\\.pdf\\OpenWithProgids", u"OrvikPendrel.Document"));
            EXPECT_TRUE(Has(root, u"Software\\Classes\\.pdf\\OpenWithProgids", u"Other.Reader"));
        }
        EXPECT_FALSE(Has(CU, kFdfChoice, u"Progid"));
        EXPECT_FALSE(Has(CU, kFileExts + u".fdf", u"Progid"));
        EXPECT_TRUE(Has(CU, kFileExts + u".fdf\\OpenWithProgids", u"Other.FDF"));
        if (userChoice == u"OrvikPendrel.Document") EXPECT_FALSE(Has(CU, kPdfChoice, u"Progid"));
        else EXPECT_EQ(r.GetString(CU, kPdfChoice, u"Progid").value_or(u""), userChoice);
        EXPECT_TRUE(Has(LM, u"Software\\Classes\\Other.Reader\\CLSID", u""));
        EXPECT_FALSE(r.Exists(LM, u"Software\\Classes\\Gone.Reader"));
        EXPECT_FALSE(r.Exists(CR, std::u16string(64, u'x')));
        EXPECT_EQ(uninstaller.Outcome().left, std::vector<std::u16string>{});
    }
}

// A choice the run cannot read does not stop the step: the values that name the product go, and
// the choice itself, not known to be another program's, is counted as left.
TEST_F(Fixture, AChoiceThatCannotBeReadIsCountedAndTheRestGoes) {
    InstallAssociations();
    ASSERT_NE(Registry().Find(CU, kPdfChoice), nullptr);
    Registry().Find(CU, kPdfChoice)->denyOpen = true;

    uninstaller.RunUninstall();

    EXPECT_FALSE(Has(LM, u"Software\\Classes\\.pdf", u""));
    EXPECT_FALSE(Has(LM, kMimePdf, u"CLSID"));
    EXPECT_TRUE(Has(CU, kPdfChoice, u"Progid"));
    const std::vector<std::u16string> left = uninstaller.Outcome().left;
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0], u"value HKCU\\" + kPdfChoice + u"\\Progid (not known: Windows error 5: Access is denied.)");
}

// ---- The association rows ---------------------------------------------------------------

using FileAssociations = Fixture;

TEST_F(FileAssociations, EveryProductValueGoesAndNothingElse) {
    InstallAssociations();
    uninstaller.RemoveFileAssociations();

    ExpectClassesValuesGone();
    EXPECT_FALSE(Has(CU, kPdfChoice, u"Progid"));
    EXPECT_FALSE(Has(CU, kFdfChoice, u"Progid"));
    EXPECT_FALSE(Has(CU, kFileExts + u".fdf", u"Progid"));
    for (const auto& [root, key] : {std::pair{LM, u"Software\\Classes\\.pdf\\OpenWithProgids"},
                                    std::pair{CU, u"Software\\Classes\\.pdf\\OpenWithProgids"}}) {
        EXPECT_FALSE(Has(root, key, u"OrvikPendrel.Document"));
        EXPECT_TRUE(Has(root, key, u"Other.Reader"));
    }
    EXPECT_FALSE(Has(CU, kFileExts + u".pdf\\OpenWithProgids", u"OrvikPendrel.Document"));
    EXPECT_FALSE(Has(LM, u"Software\\Classes\\.fdf\\OpenWithProgids", u"OrvikPendrel.FDFDoc"));
    // Only the values named: the keys, their other values and subkeys stay.
    EXPECT_TRUE(Has(LM, u"Software\\Classes\\.pdf", u"Content Type"));
    EXPECT_TRUE(Registry().Exists(LM, u"Software\\Classes\\.pdf\\OpenWithProgids"));
    EXPECT_TRUE(Has(LM, kMimePdf, u"Extension"));
    EXPECT_TRUE(Has(LM, u"Software\\Classes\\OrvikPendrel.Document\\CLSID", u""));  // the records step's
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

TEST_F(FileAssociations, ValuesNamingAnythingElseStay) {
    auto& r = Registry();
    r.SetString(LM, u"Software\\Classes\\.pdf", u"", u"OrvikPendrel.Document.1");  // the whole text counts
    r.SetString(LM, u"Software\\Classes\\.fdf", u"", u"Other.FDF");
    // Whatever the product's ProgID says, only the product's own class identifier is the product's.
    r.SetString(LM, u"Software\\Classes\\OrvikPendrel.Document\\CLSID", u"", u"{00000000-0000-0000-0000-000000000001}");
    r.SetString(LM, kMimePdf, u"CLSID", u"{00000000-0000-0000-0000-000000000001}");
    r.SetString(CU, kPdfChoice, u"Progid", u"Other.Reader");
    r.SetString(CU, kFileExts + u".fdf", u"Progid", u"Other.FDF");

    uninstaller.RemoveFileAssociations();

    EXPECT_EQ(r.GetString(LM, u"Software\\Classes\\.pdf", u""), u"OrvikPendrel.Document.1");
    EXPECT_EQ(r.GetString(LM, u"Software\\Classes\\.fdf", u""), u"Other.FDF");
    EXPECT_TRUE(Has(LM, kMimePdf, u"CLSID"));
    EXPECT_EQ(r.GetString(CU, kPdfChoice, u"Progid"), u"Other.Reader");
    EXPECT_EQ(r.GetString(CU, kFileExts + u".fdf", u"Progid"), u"Other.FDF");
    EXPECT_TRUE(sim::machine().CallsTo("RegDeleteValueW").empty());
}

// The system finds ProgIDs and class identifiers without regard to letter case: a value naming
// the product's in another spelling still leads to the keys the records step deletes.
TEST_F(FileAssociations, TheProductNamedInAnyLetterCaseGoes) {
    auto& r = Registry();
    r.SetString(LM, u"Software\\Classes\\.pdf", u"", u"orvikpendrel.document");
    r.SetString(LM, u"Software\\Classes\\.fdf", u"", u"ORVIKPENDREL.FDFDOC");
    r.SetString(LM, kMimePdf, u"CLSID", u"{3f6a2c10-7b4d-4E21-9c58-2d71b0e4a936}");
    r.SetString(CU, kPdfChoice, u"Progid", u"OrvikPendrel.document");

    uninstaller.RemoveFileAssociations();

    EXPECT_FALSE(Has(LM, u"Software\\Classes\\.pdf", u""));
    EXPECT_FALSE(Has(LM, u"Software\\Classes\\.fdf", u""));
    EXPECT_FALSE(Has(LM, kMimePdf, u"CLSID"));
    EXPECT_FALSE(Has(CU, kPdfChoice, u"Progid"));
    EXPECT_EQ(engine::registry::AssociationsLeft(), std::vector<std::u16string>{});
}

TEST_F(FileAssociations, MimeClassIdentifierNeedsTheProductsOwnToGo) {
    auto& r = Registry();
    // No ProgID class identifier: a MIME value that reads as empty (not a string) is not ours.
    r.SetDword(LM, kMimePdf, u"CLSID", 7);
    r.SetString(LM, kMimeFdf, u"CLSID", u"");
    uninstaller.RemoveFileAssociations();
    EXPECT_TRUE(Has(LM, kMimePdf, u"CLSID"));
    EXPECT_TRUE(Has(LM, kMimeFdf, u"CLSID"));
}

TEST_F(FileAssociations, MergedViewDeletesTheUserChoiceOnlyWhenItIsTheProducts) {
    auto& r = Registry();
    r.SetString(CU, u"Software\\Classes\\.fdf", u"", u"OrvikPendrel.FDFDoc");
    r.SetString(CU, kFdfChoice, u"Progid", u"Other.FDF");
    r.SetString(CU, u"Software\\Classes\\.pdf", u"", u"OrvikPendrel.Document");
    ASSERT_NE(r.Find(CU, u"Software\\Classes\\.pdf"), nullptr);
    r.Find(CU, u"Software\\Classes\\.pdf")->denyWrite = true;  // the first deletion cannot open
    r.SetString(CU, kPdfChoice, u"Progid", u"OrvikPendrel.Document");

    uninstaller.RemoveFileAssociations();

    EXPECT_FALSE(Has(CU, u"Software\\Classes\\.fdf", u""));
    EXPECT_EQ(r.GetString(CU, kFdfChoice, u"Progid"), u"Other.FDF");
    EXPECT_TRUE(Has(CU, u"Software\\Classes\\.pdf", u""));
    EXPECT_FALSE(Has(CU, kPdfChoice, u"Progid"));
}

// Windows 8 and later refuse the user to set or delete the values of "UserChoice"; the key
// itself may go, and goes while it names the product. The ".fdf" choice goes whatever the
// classes view says of ".fdf".
TEST_F(FileAssociations, ProtectedUserChoiceNamingTheProductGoesAsAKey) {
    auto& r = Registry();
    r.SetString(CU, kPdfChoice, u"Progid", u"OrvikPendrel.Document");
    r.SetString(CU, kPdfChoice, u"Hash", u"abc");
    ASSERT_NE(r.Find(CU, kPdfChoice), nullptr);
    r.Find(CU, kPdfChoice)->refuseValueChange = true;
    r.SetString(CU, kFdfChoice, u"Progid", u"OrvikPendrel.FDFDoc");
    ASSERT_NE(r.Find(CU, kFdfChoice), nullptr);
    r.Find(CU, kFdfChoice)->refuseValueChange = true;
    r.SetString(CU, kFileExts + u".xyz\\UserChoice", u"Progid", u"OrvikPendrel.Document");

    uninstaller.RemoveFileAssociations();

    EXPECT_FALSE(r.Exists(CU, kPdfChoice));
    EXPECT_FALSE(r.Exists(CU, kFdfChoice));
    EXPECT_TRUE(r.Exists(CU, kFileExts + u".pdf"));
    EXPECT_TRUE(Has(CU, kFileExts + u".xyz\\UserChoice", u"Progid"));
    EXPECT_EQ(r.OpenHandleCount(), 0u);
}

TEST_F(FileAssociations, ProtectedUserChoiceOfAnotherProgramStays) {
    auto& r = Registry();
    r.SetString(CU, kPdfChoice, u"Progid", u"Other.Reader");
    ASSERT_NE(r.Find(CU, kPdfChoice), nullptr);
    r.Find(CU, kPdfChoice)->refuseValueChange = true;
    uninstaller.RemoveFileAssociations();
    EXPECT_EQ(r.GetString(CU, kPdfChoice, u"Progid"), u"Other.Reader");
}

// A link the user planted where an association value is looked for leads to a key of the
// machine's: the value there is neither judged nor deleted.
TEST_F(FileAssociations, ValuesBehindLinksStay) {
    auto& r = Registry();
    r.SetString(LM, u"Software\\Victim", u"Progid", u"OrvikPendrel.Document");
    r.SetString(LM, u"Software\\Victim\\UserChoice", u"Progid", u"OrvikPendrel.Document");
    r.SetString(LM, u"Software\\Victim\\OpenWithProgids", u"OrvikPendrel.Document", u"");
    r.CreateLink(CU, kFileExts + u".pdf", LM, u"Software\\Victim");
    r.CreateLink(CU, kFdfChoice, LM, u"Software\\Victim\\UserChoice");
    r.CreateLink(CU, u"Software\\Classes\\.pdf", LM, u"Software\\Victim");

    uninstaller.RemoveFileAssociations();

    EXPECT_TRUE(Has(LM, u"Software\\Victim", u"Progid"));
    EXPECT_TRUE(Has(LM, u"Software\\Victim\\UserChoice", u"Progid"));
    EXPECT_TRUE(Has(LM, u"Software\\Victim\\OpenWithProgids", u"OrvikPendrel.Document"));
    EXPECT_TRUE(r.Exists(CU, kFdfChoice));  // a link, left as it is
}

TEST_F(FileAssociations, SecondDeletionOfARowIsTriedWhenTheFirstKeyDoesNotOpen) {
    auto& r = Registry();
    r.SetString(CU, u"Software\\Classes\\.fdf", u"", u"OrvikPendrel.FDFDoc");
    ASSERT_NE(r.Find(CU, u"Software\\Classes\\.fdf"), nullptr);
    r.Find(CU, u"Software\\Classes\\.fdf")->denyWrite = true;
    r.SetString(CU, kFdfChoice, u"Progid", u"OrvikPendrel.FDFDoc");

    uninstaller.RemoveFileAssociations();

    EXPECT_TRUE(Has(CU, u"Software\\Classes\\.fdf", u""));
    EXPECT_FALSE(Has(CU, kFdfChoice, u"Progid"));
}

// ---- The records step -------------------------------------------------------------------

using ProductRegistryRemoval = Fixture;

TEST_F(ProductRegistryRemoval, NoRecordsDeleteNothingAndTellTheShellNothing) {
    uninstaller.RemoveProductRegistry();
    uninstaller.TellShellOfChangedFileTypes();

    EXPECT_TRUE(sim::machine().CallsTo("NtDeleteKey").empty());
    EXPECT_TRUE(sim::machine().CallsTo("RegDeleteKeyW").empty());
    EXPECT_TRUE(sim::machine().shell.notifications.empty());
    EXPECT_TRUE(sim::machine().CallsTo("RegCreateKeyExW").empty());
    EXPECT_TRUE(Registry().Exists(LM, u"Software"));
}

// Told, the shell rereads every file type (under Wine it starts a process for it): it is told
// once when the association step or the records step changed one, and not otherwise; and only
// when the run's end asks, not by the step itself.
TEST_F(ProductRegistryRemoval, TheShellHearsOfFileTypesOnlyWhenOneChanged) {
    struct Case {
        const char* what;
        void (*arrange)();
        bool associationStep;
        bool told;
    };
    const Case cases[] = {
        {"only the Uninstall entry", [] { Registry().SetString(LM, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik Pendrel", u"DisplayName", u"Orvik Pendrel"); }, false, false},
        {"a ProgID of the user's classes", [] { Registry().SetString(CU, u"Software\\Classes\\OrvikPendrel.FDFDoc", u"", u"FDF"); }, false, true},
        {"a class identifier", [] { Registry().SetString(LM, u"Software\\Classes\\CLSID\\" + kDocClsid, u"", u"Document"); }, false, true},
        {"an association value only", [] { Registry().SetString(CU, kPdfChoice, u"Progid", u"OrvikPendrel.Document"); }, true, true},
        {"the association step finding nothing of the product's", [] { Registry().SetString(CU, kPdfChoice, u"Progid", u"Other.Reader"); }, true, false},
        {"a ProgID that cannot be opened", [] { Registry().Create(CU, u"Software\\Classes\\OrvikPendrel.Document").denyOpen = true; }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        c.arrange();
        engine::Uninstaller run(host);
        if (c.associationStep) run.RemoveFileAssociations();
        run.RemoveProductRegistry();
        EXPECT_TRUE(sim::machine().shell.notifications.empty());
        run.TellShellOfChangedFileTypes();
        ASSERT_EQ(sim::machine().shell.notifications.size(), c.told ? 1u : 0u);
        if (!c.told) continue;
        EXPECT_EQ(sim::machine().shell.notifications[0].event, win::SHCNE_ASSOCCHANGED);
        EXPECT_EQ(sim::machine().shell.notifications[0].flags, win::SHCNF_IDLIST);
    }
}

TEST_F(ProductRegistryRemoval, EveryProductTreeGoesUnderBothRootsAndTheVendorKeyStays) {
    auto& r = Registry();
    const std::u16string windows = u"Software\\Microsoft\\Windows\\CurrentVersion\\";
    const std::vector<std::u16string> trees = {
        u"Software\\Orvik Software\\Orvik Pendrel", u"Software\\Orvik Software\\" + kChineseName,
        u"Software\\Classes\\CLSID\\" + kDocClsid, u"Software\\Classes\\CLSID\\" + kFdfClsid,
        u"Software\\Classes\\OrvikPendrel.Document", u"Software\\Classes\\OrvikPendrel.FDFDoc",
        u"Software\\Classes\\Applications\\ORVIKP~1.EXE", windows + u"Uninstall\\Orvik Pendrel",
        windows + u"Uninstall\\" + kChineseName, windows + u"App Management\\ARPCache\\Orvik Pendrel",
        windows + u"Explorer\\MenuOrder\\Start Menu\\Programs\\Orvik Pendrel"};
    InstallAssociations();
    for (win::HKEY root : {LM, CU}) {
        for (const auto& tree : trees) {
            r.SetString(root, tree, u"Name", u"x");
            r.SetString(root, tree + u"\\Sub\\Deeper", u"", u"y");
        }
        r.SetString(root, u"Software\\Orvik Software\\Orvik Scanner", u"Version", u"2.0");
    }

    uninstaller.RemoveProductRegistry();

    for (win::HKEY root : {LM, CU}) {
        for (const auto& tree : trees) EXPECT_FALSE(r.Exists(root, tree)) << sim::Narrow(tree);
        EXPECT_TRUE(r.HasValue(root, u"Software\\Orvik Software\\Orvik Scanner", u"Version"));
        EXPECT_TRUE(r.Exists(root, windows + u"Uninstall"));
    }
    EXPECT_TRUE(r.Exists(LM, u"Software\\Classes\\.pdf"));  // the extension key is the system's
    EXPECT_EQ(r.OpenHandleCount(), 0u);
}

// The log names every tree as the installer wrote it, letter case included, in the order the
// step goes: the file types first, the product's keys once more at the end, the machine's root
// before the user's.
TEST_F(ProductRegistryRemoval, TheLogNamesEveryTreeInTheOrderItGoes) {
    struct Lines : engine::RemovalListener {
        std::vector<std::u16string> lines;
        void Note(const std::u16string& line) override { lines.push_back(line); }
    } report;
    const std::u16string windows = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    const std::vector<std::u16string> trees = {
        u"SOFTWARE\\Classes\\CLSID\\" + kDocClsid,
        u"SOFTWARE\\Classes\\CLSID\\" + kFdfClsid,
        u"SOFTWARE\\Classes\\OrvikPendrel.Document",
        u"SOFTWARE\\Classes\\OrvikPendrel.FDFDoc",
        u"SOFTWARE\\Classes\\Applications\\ORVIKP~1.EXE",
        u"SOFTWARE\\Orvik Software\\Orvik Pendrel",
        u"SOFTWARE\\Orvik Software\\" + kChineseName,
        windows + u"Explorer\\MenuOrder\\Start Menu\\Programs\\Orvik Pendrel",
        windows + u"App Management\\ARPCache\\Orvik Pendrel",
        windows + u"Uninstall\\Orvik Pendrel",
        windows + u"Uninstall\\" + kChineseName,
        u"SOFTWARE\\Orvik Software\\Orvik Pendrel",
        u"SOFTWARE\\Orvik Software\\" + kChineseName,
    };
    std::vector<std::u16string> expected;
    for (const char16_t* root : {u"HKLM", u"HKCU"})
        for (const std::u16string& tree : trees) expected.push_back(u"not there: key " + std::u16string(root) + u"\\" + tree);

    engine::RemovalContext context(report);
    engine::registry::RemoveProductRegistry(context);

    EXPECT_EQ(report.lines, expected);
}

TEST_F(ProductRegistryRemoval, VendorKeyStaysEvenWhenLeftEmpty) {
    Registry().SetString(LM, u"Software\\Orvik Software\\Orvik Pendrel", u"InstallPath", kInstallDir);
    uninstaller.RemoveProductRegistry();
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\Orvik Software\\Orvik Pendrel"));
    EXPECT_TRUE(Registry().Exists(LM, u"Software\\Orvik Software"));
}

}  // namespace
