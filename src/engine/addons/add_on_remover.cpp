#include "engine/addons/add_on_remover.h"

#include "core/joined_text.h"
#include "engine/files/directory_tree.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/product.h"
#include "engine/removal_report.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace engine::addons {
namespace {

constexpr char16_t kUpdatesListSubkey[] = u"\\Updates List\\";
constexpr const char16_t* kUpdatesList = core::kJoined<product::kProductKeyText, kUpdatesListSubkey>;

using Op = AddOnRemover::Operation;
using Row = AddOnRemover::Row;

constexpr char16_t kCjkLabel[] = u"Eastern Asian Language Support";
constexpr Row kCjkRows[] = {
    {Op::DeleteFile, u"\\kpdfcjk.bin", u"Delete kpdfcjk.bin failed!"},
};

constexpr char16_t kDecodersLabel[] = u"JPEG2000 and JBIG2 Image Decoders";
constexpr Row kDecoderRows[] = {
    {Op::DeleteFile, u"\\kvdecod1.dll", u"Delete kvdecod1.dll failed!"},
};

constexpr char16_t kSpellCheckLabel[] = u"Orvik Spell Check Language";
constexpr char16_t kLexDirectory[] = u"\\lex";

constexpr Row kFirefoxRows[] = {
    {Op::DeleteFile, u"\\Plugins\\npOrvikReaderPlugin.dll", u"Delete npOrvikReaderPlugin.dll failed!"},
    {Op::DeleteFile, u"\\UninstallPDFReaderPlugin.exe", u"Delete UninstallPDFReaderPlugin.exe failed!"},
    {Op::DeleteFile, u"\\UnPDFReaderPlugin.exe", u"Delete UnPDFReaderPlugin.exe failed!"},
    {Op::RemoveDirectory, u"\\Plugins\\OnDemandCM", u"Delete OnDemandCM failed!"},
    {Op::RemoveDirectory, u"\\Plugins", u"Delete Plugins Directory failed!"},
};

constexpr char16_t kOnDemandLabel[] = u"OnDemandCM";
constexpr Row kOnDemandRows[] = {
    {Op::DeleteFile, u"\\Plugins\\OnDemandCM\\OnDemandPlugin.dll", u"Delete OnDemandPlugin.dll failed!"},
    {Op::DeleteFile, u"\\Plugins\\OnDemandCM\\curl\\curl.exe", u"Delete curl.exe failed!"},
    {Op::DeleteFile, u"\\Plugins\\OnDemandCM\\curl\\libcurl.dll", u"Delete libcurl.dll failed!"},
    {Op::DeleteFile, u"\\Plugins\\OnDemandCM\\curl\\libeay32.dll", u"Delete libeay32.dll failed!"},
    {Op::DeleteFile, u"\\Plugins\\OnDemandCM\\curl\\libssl32.dll", u"Delete libssl32.dll failed!"},
    {Op::RemoveDirectory, u"\\Plugins\\OnDemandCM\\curl", u"Delete Plugins OnDemandCM curl Directory failed!"},
    {Op::RemoveDirectory, u"\\Plugins\\OnDemandCM", u"Delete Plugins OnDemandCM Directory failed!"},
    {Op::RemoveDirectory, u"\\Plugins", u"Delete Plugins Directory failed!"},
};

}  // namespace

const char16_t* const LexFileNames[kLexFileCount] = {
    u"accent.tlx", u"correct.tlx", u"ssceam.tlx", u"ssceam2.clx", u"sscebr.tlx",
    u"sscebr2.clx", u"ssceca.tlx", u"ssceca2.clx", u"tech.tlx",   u"userdic.tlx",
};

std::vector<AddOnRemover::Removal> AddOnRemover::Removals() {
    std::vector<Removal> removals;
    AddRows(removals, kCjkRows);
    AddRows(removals, kDecoderRows);
    for (const char16_t* name : LexFileNames) removals.push_back({Op::DeleteFile, kLexDirectory + (u"\\" + std::u16string(name))});
    removals.push_back({Op::RemoveDirectory, kLexDirectory});
    AddRows(removals, kFirefoxRows);
    AddRows(removals, kOnDemandRows);
    AddDataRemovals(removals);
    return removals;
}

void ReportRemovalFailure(RemovalContext& context, const std::u16string& text, const std::u16string& label) {
    const std::u16string line = u"Uninstall: " + label + u": " + text + u"\n";
    win::OutputDebugStringW(line.c_str());
    context.ReportDiagnostic(label + u": " + text);
}

AddOnRemover::AddOnRemover(RemovalContext& context, const std::u16string& installPath, Attendance attendance,
                           KeyDeletion deleteRecord)
    : m_context(context),
      m_strBaseDir(files::WithoutTrailingBackslash(installPath)),
      m_attendance(attendance),
      m_deleteRecord(deleteRecord) {}

void AddOnRemover::RemoveAll() {
    RemoveCjkSupport();
    RemoveImageDecoders();
    RemoveSpellCheck();
    RemoveFirefoxPlugin();
    RemoveOnDemandCM();
    RemoveStamps();
    RemoveLanguageFiles();
    RemoveOcrPlugin();
}

// The record is deleted as one key: a record holding subkeys stays where the system refuses
// that, and nothing is reported for it. The user's own processes can write these keys while the
// removal runs elevated, so a link planted as a record (or above one) is removed itself, never
// followed into the key it names.
void AddOnRemover::DeleteRecord(const char16_t* label) {
    if (!m_deleteRecord) return;
    const std::u16string key = kUpdatesList + std::u16string(label);
    m_deleteRecord(m_context, win::HKEY_CURRENT_USER, key.c_str());
}

bool AddOnRemover::Perform(Operation operation, const std::u16string& relative) {
    if (m_strBaseDir.empty()) return false;
    switch (operation) {
        case Operation::DeleteFile:
            return files::DeleteFileBelow(m_context, m_strBaseDir, relative).Succeeded();
        case Operation::RemoveDirectory:
            return files::RemoveDirectoryBelow(m_context, m_strBaseDir, relative).Succeeded();
        case Operation::RemoveTree:
            return files::RemoveTreeBelow(m_context, m_strBaseDir, relative);
    }
    return false;
}

void AddOnRemover::RunRow(const Row& row, const char16_t* label) {
    if (!Perform(row.operation, row.path) && row.failure) ReportRemovalFailure(m_context, row.failure, label);
}

void AddOnRemover::RemoveCjkSupport() {
    DeleteRecord(kCjkLabel);
    if (m_strBaseDir.empty()) return;
    RunRows(kCjkRows, kCjkLabel);
}

void AddOnRemover::RemoveImageDecoders() {
    DeleteRecord(kDecodersLabel);
    if (m_strBaseDir.empty()) return;
    RunRows(kDecoderRows, kDecodersLabel);
}

void AddOnRemover::RemoveSpellCheck() {
    DeleteRecord(kSpellCheckLabel);
    if (m_strBaseDir.empty()) return;
    // The search only decides whether the missing dictionaries are worth a report; every
    // listed name is deleted anyway.
    const std::u16string probe = m_strBaseDir + kLexDirectory + u"\\*.*";
    if (!files::FitsMaxPath(probe) || !files::FindFirstEntry(probe))
        ReportRemovalFailure(m_context, u"Find lex files failed!", kSpellCheckLabel);
    for (const char16_t* name : LexFileNames)
        if (!Perform(Operation::DeleteFile, kLexDirectory + (u"\\" + std::u16string(name))))
            ReportRemovalFailure(m_context, u"Delete lex files failed!", kSpellCheckLabel);
    RunRow({Operation::RemoveDirectory, kLexDirectory, u"Delete lex Directory failed!"}, kSpellCheckLabel);
}

void AddOnRemover::RemoveFirefoxPlugin() {
    DeleteRecord(kFirefoxPluginLabel);
    if (m_strBaseDir.empty()) return;
    // The plug-in's uninstaller runs first, while the plug-in it takes out of the browsers is
    // still there; its own file goes with the rows below, under either of its two names.
    if (!RunPluginUninstaller()) ReportRemovalFailure(m_context, u"Uninstall firefox plugin failed!", kFirefoxPluginLabel);
    RunRows(kFirefoxRows, kFirefoxPluginLabel);
}

void AddOnRemover::RemoveOnDemandCM() {
    DeleteRecord(kOnDemandLabel);
    if (m_strBaseDir.empty()) return;
    RunRows(kOnDemandRows, kOnDemandLabel);
}

}  // namespace engine::addons
