// Removal of registry key trees on the simulated machine: order of deletions, what a refused
// key leaves behind, the 95 family's single call, and the two roots kept apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry/registry_tree.h"
#include "engine/removal_report.h"
#include "platform/sim/machine.h"

namespace {

// The removal of a tree as a step makes it, its lines heard by nobody; true when it was there.
bool DeleteRegistryTree(win::HKEY root, const char16_t* path) {
    engine::RemovalContext context;
    return engine::registry::DeleteRegistryTree(context, root, path);
}

const win::HKEY LM = win::HKEY_LOCAL_MACHINE;
const win::HKEY CU = win::HKEY_CURRENT_USER;

sim::RegistryState& Registry() { return sim::machine().registry; }

// The registry calls that start with `prefix` ("RegDelete" for the deletions), in call order.
std::vector<std::string> Accesses(const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& a : Registry().keyAccess)
        if (a.compare(0, prefix.size(), prefix) == 0) out.push_back(a);
    return out;
}

// Every deletion of a value or a key, in call order.
std::vector<std::string> Deletions() {
    std::vector<std::string> out;
    for (const auto& a : Registry().keyAccess)
        if (a.rfind("RegDelete", 0) == 0 || a.rfind("NtDeleteKey", 0) == 0) out.push_back(a);
    return out;
}

void AddValue(win::HKEY root, const std::u16string& path, const std::u16string& name) {
    Registry().SetString(root, path, name, u"data");
}

TEST(RegistryTree, ThreeLevelsGoDeepestFirstWithEachKeysValuesBeforeIt) {
    AddValue(LM, u"Software\\T", u"top");
    AddValue(LM, u"Software\\T", u"");
    AddValue(LM, u"Software\\T\\Mid", u"mid");
    AddValue(LM, u"Software\\T\\Mid\\Low", u"low1");
    AddValue(LM, u"Software\\T\\Mid\\Low", u"low2");

    DeleteRegistryTree(LM, u"Software\\T");

    EXPECT_EQ(Deletions(), (std::vector<std::string>{
                               "RegDeleteValueW HKLM\\Software\\T\\Mid\\Low [low1]",
                               "RegDeleteValueW HKLM\\Software\\T\\Mid\\Low [low2]",
                               "NtDeleteKey HKLM\\Software\\T\\Mid\\Low",
                               "RegDeleteValueW HKLM\\Software\\T\\Mid [mid]",
                               "NtDeleteKey HKLM\\Software\\T\\Mid",
                               "RegDeleteValueW HKLM\\Software\\T [top]",
                               "RegDeleteValueW HKLM\\Software\\T []",
                               "NtDeleteKey HKLM\\Software\\T",
                           }));
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\T"));
    EXPECT_TRUE(Registry().Exists(LM, u"Software"));
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

TEST(RegistryTree, SiblingsGoInTheOrderTheyAreEnumerated) {
    for (const char16_t* name : {u"beta", u"Alpha", u"gamma", u"Delta"})
        Registry().Create(CU, u"Software\\T\\" + std::u16string(name));

    DeleteRegistryTree(CU, u"Software\\T");

    EXPECT_EQ(Deletions(), (std::vector<std::string>{
                               "NtDeleteKey HKCU\\Software\\T\\Alpha",
                               "NtDeleteKey HKCU\\Software\\T\\beta",
                               "NtDeleteKey HKCU\\Software\\T\\Delta",
                               "NtDeleteKey HKCU\\Software\\T\\gamma",
                               "NtDeleteKey HKCU\\Software\\T",
                           }));
    EXPECT_FALSE(Registry().Exists(CU, u"Software\\T"));
}

TEST(RegistryTree, EmptyKeyIsRemovedByOneDeletion) {
    Registry().Create(LM, u"Software\\Empty");
    DeleteRegistryTree(LM, u"Software\\Empty");
    EXPECT_EQ(Deletions(), (std::vector<std::string>{"NtDeleteKey HKLM\\Software\\Empty"}));
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\Empty"));
}

TEST(RegistryTree, MissingKeyChangesNothing) {
    DeleteRegistryTree(LM, u"Software\\Nowhere");
    DeleteRegistryTree(LM, u"Software\\Nowhere\\Deeper");
    EXPECT_TRUE(Deletions().empty());
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\Nowhere"));
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

// The caller learns whether the key was there: a key missing, or missing above it, was not; one
// reached through a link or refused on the way cannot be told gone, and counts as there.
TEST(RegistryTree, SaysWhetherTheKeyWasThere) {
    struct Case {
        const char* what;
        void (*arrange)();
        const char16_t* path;
        bool there;
    };
    const Case cases[] = {
        {"there", [] { AddValue(LM, u"Software\\T\\Sub", u"v"); }, u"Software\\T", true},
        {"a link itself", [] { Registry().CreateLink(LM, u"Software\\T", LM, u"Software\\Other"); }, u"Software\\T",
         true},
        {"missing", [] {}, u"Software\\T", false},
        {"missing above", [] {}, u"Software\\V\\T", false},
        {"a link above",
         [] {
             Registry().Create(LM, u"Software\\Victim\\T");
             Registry().CreateLink(LM, u"Software\\V", LM, u"Software\\Victim");
         },
         u"Software\\V\\T", true},
        {"refused on the way", [] { Registry().Create(LM, u"Software\\V\\T").parent->denyOpen = true; },
         u"Software\\V\\T", true},
        {"95 family, there",
         [] {
             sim::machine().system.family95 = true;
             Registry().Create(LM, u"Software\\T");
         },
         u"Software\\T", true},
        {"95 family, missing", [] { sim::machine().system.family95 = true; }, u"Software\\T", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        c.arrange();
        EXPECT_EQ(DeleteRegistryTree(LM, c.path), c.there);
    }
}

TEST(RegistryTree, RefusedSubkeyStopsItsSiblingsAndAncestorsButTopValuesStillGo) {
    AddValue(LM, u"Software\\T", u"top");
    AddValue(LM, u"Software\\T\\A", u"a");
    AddValue(LM, u"Software\\T\\B\\Inner", u"inner");
    AddValue(LM, u"Software\\T\\B\\Locked", u"locked");
    AddValue(LM, u"Software\\T\\B\\Then", u"then");
    AddValue(LM, u"Software\\T\\C", u"c");
    ASSERT_NE(Registry().Find(LM, u"Software\\T\\B\\Locked"), nullptr);
    Registry().Find(LM, u"Software\\T\\B\\Locked")->refuseDelete = true;

    DeleteRegistryTree(LM, u"Software\\T");

    // Inner goes before Locked (enumeration order); Locked stops B's walk, so Then is never
    // tried, B stays, and T's walk stops before C.
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\T\\A"));
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\T\\B\\Inner"));
    EXPECT_TRUE(Registry().Exists(LM, u"Software\\T\\B\\Locked"));
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\T\\B\\Locked", u"locked"));  // values go first
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\T\\B\\Then", u"then"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\T\\C", u"c"));
    EXPECT_TRUE(Registry().Exists(LM, u"Software\\T\\B"));
    EXPECT_FALSE(Registry().HasValue(LM, u"Software\\T", u"top"));
    EXPECT_TRUE(Registry().Exists(LM, u"Software\\T"));
    for (const auto& call : sim::machine().CallsTo("NtDeleteKey")) {
        EXPECT_EQ(call.find("Then"), std::string::npos) << call;
        EXPECT_EQ(call.find("\\C"), std::string::npos) << call;
    }
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

TEST(RegistryTree, ValueNamesOf500CharactersStopTheClearingButNotTheKeyDeletion) {
    const std::u16string longName(500, u'v');
    const std::u16string longestName(499, u'w');
    AddValue(LM, u"Software\\T\\Long", u"first");
    AddValue(LM, u"Software\\T\\Long", longName);
    AddValue(LM, u"Software\\T\\Fits", longestName);

    DeleteRegistryTree(LM, u"Software\\T");

    std::vector<std::string> deletedValues = Accesses("RegDeleteValueW");
    ASSERT_EQ(deletedValues.size(), 1u);  // only the 499-character name: "Long" keeps "first" too
    EXPECT_EQ(deletedValues[0], "RegDeleteValueW HKLM\\Software\\T\\Fits [" + std::string(499, 'w') + "]");
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\T"));  // values go with their key
}

TEST(RegistryTree, Windows95FamilyMakesExactlyOneCall) {
    sim::machine().system.family95 = true;
    Registry().deleteKeyRemovesSubkeys = true;
    AddValue(LM, u"Software\\T\\A\\B", u"b");
    AddValue(LM, u"Software\\T", u"t");

    DeleteRegistryTree(LM, u"Software\\T");

    EXPECT_EQ(Registry().keyAccess, (std::vector<std::string>{"RegDeleteKeyW HKLM\\Software\\T"}));
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\T"));
}

TEST(RegistryTree, EachRootIsTouchedOnlyByItsOwnCall) {
    for (win::HKEY root : {LM, CU}) {
        AddValue(root, u"Software\\Same\\Sub\\Deeper", u"x");
        AddValue(root, u"Software\\Same", u"y");
    }

    DeleteRegistryTree(LM, u"Software\\Same");
    for (const auto& access : Registry().keyAccess) EXPECT_NE(access.find(" HKLM\\"), std::string::npos) << access;
    EXPECT_FALSE(Registry().Exists(LM, u"Software\\Same"));
    EXPECT_TRUE(Registry().HasValue(CU, u"Software\\Same\\Sub\\Deeper", u"x"));

    Registry().keyAccess.clear();
    DeleteRegistryTree(CU, u"Software\\Same");
    for (const auto& access : Registry().keyAccess) EXPECT_NE(access.find(" HKCU\\"), std::string::npos) << access;
    EXPECT_FALSE(Registry().Exists(CU, u"Software\\Same"));
}

TEST(RegistryTree, ChildPathsBeyond260CharactersAreFollowedToTheEnd) {
    // Five levels of 100-character names: the deepest paths run to over 500 characters.
    std::u16string path = u"Software\\T";
    for (char16_t c : {u'a', u'b', u'c', u'd', u'e'}) {
        path += u"\\" + std::u16string(100, c);
        AddValue(LM, path, u"v");
    }
    AddValue(LM, u"Software\\T\\short", u"v");

    DeleteRegistryTree(LM, u"Software\\T");

    EXPECT_FALSE(Registry().Exists(LM, u"Software\\T"));
    EXPECT_EQ(Accesses("NtDeleteKey").size(), 7u);
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

TEST(RegistryTree, EmptyPathNeverReachesTheRoot) {
    Registry().Create(CU, u"Software\\Other");
    DeleteRegistryTree(CU, u"");
    DeleteRegistryTree(CU, nullptr);
    EXPECT_TRUE(Registry().keyAccess.empty());
    EXPECT_TRUE(Registry().Exists(CU, u"Software\\Other"));
}

TEST(RegistryTree, KeysThatCannotBeOpenedAsThemselvesAreNotDeletedByPath) {
    AddValue(CU, u"Software\\T\\A", u"a");
    AddValue(CU, u"Software\\T\\B", u"b");
    AddValue(CU, u"Software\\Closed", u"c");
    ASSERT_NE(Registry().Find(CU, u"Software\\T\\A"), nullptr);
    Registry().Find(CU, u"Software\\T\\A")->denyOpen = true;
    ASSERT_NE(Registry().Find(CU, u"Software\\Closed"), nullptr);
    Registry().Find(CU, u"Software\\Closed")->denyOpen = true;

    DeleteRegistryTree(CU, u"Software\\T");
    DeleteRegistryTree(CU, u"Software\\Closed");

    EXPECT_TRUE(Registry().HasValue(CU, u"Software\\T\\A", u"a"));
    EXPECT_TRUE(Registry().HasValue(CU, u"Software\\T\\B", u"b"));  // a later sibling
    EXPECT_TRUE(Registry().HasValue(CU, u"Software\\Closed", u"c"));
    // T is tried, and refused while A stays below it; Closed is never tried.
    EXPECT_EQ(sim::machine().CallsTo("NtDeleteKey"), (std::vector<std::string>{"HKCU\\Software\\T"}));
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

// A key above the top made a link by the user: the tree it would lead to is the machine's.
TEST(RegistryTree, LinkAboveTheTopKeyIsNeverPassed) {
    AddValue(LM, u"Software\\Victim\\Orvik Pendrel", u"v");
    AddValue(LM, u"Software\\Victim\\Orvik Pendrel\\Deep\\Deeper", u"d");
    AddValue(LM, u"Software\\Victim\\Uninstall\\Orvik Pendrel", u"u");
    Registry().CreateLink(CU, u"Software\\Orvik Software", LM, u"Software\\Victim");
    Registry().CreateLink(CU, u"Software\\Microsoft\\Windows\\CurrentVersion", LM, u"Software\\Victim");

    DeleteRegistryTree(CU, u"Software\\Orvik Software\\Orvik Pendrel");
    DeleteRegistryTree(CU, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik Pendrel");
    engine::RemovalContext context;
    engine::registry::DeleteRegistryKey(context, CU, u"Software\\Orvik Software\\Orvik Pendrel\\Deep\\Deeper");

    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Victim\\Orvik Pendrel", u"v"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Victim\\Orvik Pendrel\\Deep\\Deeper", u"d"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Victim\\Uninstall\\Orvik Pendrel", u"u"));
    EXPECT_TRUE(Deletions().empty());
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

// The user renames a key of the tree away and puts a link in its place while the walk is
// under way: the walk goes on through the handles it holds, and the link's target stays.
TEST(RegistryTree, KeySwappedForALinkDuringTheWalkSendsNoDeletionElsewhere) {
    AddValue(LM, u"Software\\Victim\\B", u"v");
    AddValue(LM, u"Software\\Victim\\B\\Inner", u"i");
    AddValue(CU, u"Software\\T\\A\\Inner", u"a");
    AddValue(CU, u"Software\\T\\B\\Inner", u"b");
    bool swapped = false;
    sim::machine().onCall = [&](const std::string& function, const std::string& argument) {
        if (swapped || function != "NtDeleteKey" || argument != "HKCU\\Software\\T\\A\\Inner") return;
        swapped = Registry().SwapForLink(CU, u"Software\\T\\B", LM, u"Software\\Victim\\B");
    };

    DeleteRegistryTree(CU, u"Software\\T");
    sim::machine().onCall = nullptr;

    ASSERT_TRUE(swapped);
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Victim\\B", u"v"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Victim\\B\\Inner", u"i"));
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

TEST(RegistryTree, LinksAreRemovedThemselvesAndNeverFollowed) {
    // Another program's key, reached through links planted in the product's tree.
    AddValue(LM, u"Software\\Victim", u"v");
    AddValue(LM, u"Software\\Victim\\Inner", u"i");
    AddValue(LM, u"Software\\Empty Victim", u"e");
    AddValue(CU, u"Software\\T\\Real", u"r");
    Registry().CreateLink(CU, u"Software\\T\\Linked", LM, u"Software\\Victim");
    Registry().CreateLink(CU, u"Software\\T\\Real\\Deeper", LM, u"Software\\Empty Victim");
    Registry().CreateLink(CU, u"Software\\Top", LM, u"Software\\Victim");

    DeleteRegistryTree(CU, u"Software\\T");
    DeleteRegistryTree(CU, u"Software\\Top");

    EXPECT_FALSE(Registry().Exists(CU, u"Software\\T"));
    EXPECT_FALSE(Registry().Exists(CU, u"Software\\Top"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Victim", u"v"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Victim\\Inner", u"i"));
    EXPECT_TRUE(Registry().HasValue(LM, u"Software\\Empty Victim", u"e"));
    for (const auto& access : Registry().keyAccess) EXPECT_EQ(access.find("HKLM"), std::string::npos) << access;
    EXPECT_EQ(Registry().OpenHandleCount(), 0u);
}

}  // namespace
