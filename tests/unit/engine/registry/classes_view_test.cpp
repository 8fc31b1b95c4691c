// The classes view as Windows merges it (the user's own classes over the machine's), and what the
// association step may and may not be led to by what a user writes into their own classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry/product_registry.h"
#include "engine/removal_report.h"
#include "platform/registry.h"
#include "platform/scoped.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

const win::HKEY LM = win::HKEY_LOCAL_MACHINE;
const win::HKEY CU = win::HKEY_CURRENT_USER;
const win::HKEY CR = win::HKEY_CLASSES_ROOT;

const std::u16string kDocClsid = u"{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}";
const std::u16string kOtherClsid = u"{0000000B-0000-0000-0000-0000000000AA}";
const std::u16string kMimePdf = u"Software\\Classes\\MIME\\Database\\Content Type\\application/pdf";

sim::RegistryState& Registry() { return sim::machine().registry; }

// The text of `name` in the key `path` opened under `parent`, or "(none)" when the key does not
// open, "(no value)" when it opens without the value.
std::u16string Read(win::HKEY parent, const std::u16string& path, const std::u16string& name) {
    win::ScopedKey key;
    if (win::RegOpenKeyExW(parent, path.c_str(), 0, win::KEY_QUERY_VALUE, key.put()) != win::ERROR_SUCCESS) return u"(none)";
    char16_t text[64] = {};
    win::DWORD size = sizeof text - sizeof(char16_t);
    if (win::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<win::BYTE*>(text), &size) !=
        win::ERROR_SUCCESS)
        return u"(no value)";
    return text;
}

// A key below HKEY_CLASSES_ROOT is the user's where the user has it, the machine's otherwise; its
// values come from that one key; a key opened relative to one of the view is looked for in both
// hives again.
TEST(ClassesView, TheUsersKeyLiesOverTheMachinesAndKeysBelowAreMergedAgain) {
    auto& r = Registry();
    r.SetString(LM, u"Software\\Classes\\Both", u"Who", u"machine");
    r.SetString(LM, u"Software\\Classes\\Both", u"MachineOnly", u"machine");
    r.SetString(CU, u"Software\\Classes\\Both", u"Who", u"user");
    r.SetString(LM, u"Software\\Classes\\Both\\Below", u"Who", u"machine");
    r.SetString(LM, u"Software\\Classes\\MachineOnly", u"Who", u"machine");
    r.SetString(CU, u"Software\\Classes\\UserOnly", u"Who", u"user");
    r.SetString(LM, u"Software\\Classes\\Split\\A", u"Who", u"machine");
    r.SetString(CU, u"Software\\Classes\\Split\\B", u"Who", u"user");

    struct Case {
        const char16_t* path;
        const char16_t* value;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"Both", u"Who", u"user"},
        {u"Both", u"MachineOnly", u"(no value)"},  // values are not merged
        {u"Both\\Below", u"Who", u"machine"},
        {u"MachineOnly", u"Who", u"machine"},
        {u"UserOnly", u"Who", u"user"},
        {u"Split\\A", u"Who", u"machine"},
        {u"Split\\B", u"Who", u"user"},
        {u"Nowhere", u"Who", u"(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(sim::Narrow(c.path));
        EXPECT_EQ(Read(CR, c.path, c.value), c.expected);
        // The same key reached one component at a time, each relative to the handle before.
        const std::u16string path = c.path;
        win::HKEY parent = CR;
        std::vector<win::ScopedKey> held;
        std::size_t begin = 0;
        bool reached = true;
        for (std::size_t end; (end = path.find(u'\\', begin)) != std::u16string::npos; begin = end + 1) {
            held.emplace_back();
            if (win::RegOpenKeyExW(parent, path.substr(begin, end - begin).c_str(), 0, win::KEY_QUERY_VALUE,
                                   held.back().put()) != win::ERROR_SUCCESS) {
                reached = false;
                break;
            }
            parent = held.back().get();
        }
        EXPECT_EQ(reached ? Read(parent, path.substr(begin), c.value) : u"(none)", c.expected);
    }
    EXPECT_EQ(r.OpenHandleCount(), 0u);
}

// An elevated removal reads the product's class identifier from nowhere a user can write. A user
// whose own classes make the product's ProgID name another program's class identifier cannot have
// that program's machine-wide MIME value deleted.
TEST(ClassesView, AUsersClassesCannotNameAnotherProgramsClassIdentifierForTheProduct) {
    auto& r = Registry();
    r.SetString(LM, u"Software\\Classes\\OrvikPendrel.Document\\CLSID", u"", kDocClsid);
    r.SetString(LM, kMimePdf, u"CLSID", kOtherClsid);  // another program's
    r.SetString(LM, u"Software\\Classes\\Other.Document\\CLSID", u"", kOtherClsid);
    r.SetString(CU, u"Software\\Classes\\OrvikPendrel.Document\\CLSID", u"", kOtherClsid);
    ASSERT_EQ(Read(CR, u"OrvikPendrel.Document\\CLSID", u""), kOtherClsid);

    engine::RemovalContext context;
    engine::registry::RemoveFileAssociations(context);

    EXPECT_EQ(r.GetString(LM, kMimePdf, u"CLSID"), kOtherClsid);
    EXPECT_TRUE(sim::machine().CallsTo("RegDeleteValueW").empty());
    EXPECT_EQ(engine::registry::AssociationsLeft(), std::vector<std::u16string>{});
}

// Where the user's classes hide the machine's, both are judged: the machine's value is reached
// through the machine's classes, the user's through the view; each goes only when it names the
// product.
TEST(ClassesView, TheMachinesValueHiddenByTheUsersIsJudgedAsWell) {
    auto& r = Registry();
    r.SetString(LM, u"Software\\Classes\\.pdf", u"", u"OrvikPendrel.Document");
    r.SetString(CU, u"Software\\Classes\\.pdf", u"", u"Other.Reader");
    r.SetString(LM, kMimePdf, u"CLSID", kOtherClsid);
    r.SetString(CU, kMimePdf, u"CLSID", kDocClsid);
    r.SetString(CU, u"Software\\Classes\\.fdf", u"", u"OrvikPendrel.FDFDoc");
    r.SetString(LM, u"Software\\Classes\\.fdf", u"", u"Other.FDF");

    engine::RemovalContext context;
    engine::registry::RemoveFileAssociations(context);

    EXPECT_FALSE(r.HasValue(LM, u"Software\\Classes\\.pdf", u""));
    EXPECT_EQ(r.GetString(CU, u"Software\\Classes\\.pdf", u""), u"Other.Reader");
    EXPECT_EQ(r.GetString(LM, kMimePdf, u"CLSID"), kOtherClsid);
    EXPECT_FALSE(r.HasValue(CU, kMimePdf, u"CLSID"));
    EXPECT_FALSE(r.HasValue(CU, u"Software\\Classes\\.fdf", u""));
    EXPECT_EQ(r.GetString(LM, u"Software\\Classes\\.fdf", u""), u"Other.FDF");
    EXPECT_EQ(engine::registry::AssociationsLeft(), std::vector<std::u16string>{});
}

}  // namespace
