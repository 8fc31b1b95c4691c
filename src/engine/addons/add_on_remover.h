// Removal of the product's optional add-on packages, its stamp, language and OCR data, and the
// add-on records under "Updates List". Every removal is attempted once and told to the run's
// context; a failure is passed to ReportRemovalFailure and the removal goes on.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "engine/removal_report.h"
#include "platform/registry.h"

namespace engine::addons {

// The browser plug-in's add-on record, and the label its failures are reported under.
inline constexpr char16_t kFirefoxPluginLabel[] = u"Firefox Plugin";

// How long a quiet run waits for the browser plug-in's uninstaller before it goes on without it.
inline constexpr win::DWORD kUnattendedPluginWaitMs = 5 * 60 * 1000;

// Who waits on the removal: a user at the wizard, the product's installer (no window of ours, its
// own on the screen), or nobody (a deployment tool's quiet run).
enum class Attendance { User, Installer, Nobody };

// The spell-check add-on's dictionaries.
inline constexpr std::size_t kLexFileCount = 10;
extern const char16_t* const LexFileNames[kLexFileCount];

// The one place where failed removals are recorded: the debugger output and the run's log (through
// `context`), never the user.
void ReportRemovalFailure(RemovalContext& context, const std::u16string& text, const std::u16string& label);

class AddOnRemover {
public:
    // Deletes one registry key as the registry's tree walk does: a link is removed itself and
    // never followed. The engine hands in the registry's own (registry::DeleteRegistryKey).
    using KeyDeletion = void (*)(RemovalContext& context, win::HKEY root, const char16_t* path);

    // `installPath` is the install directory; one trailing backslash is dropped. An empty
    // install path leaves every file alone; the add-on records are still deleted, with
    // `deleteRecord` (none given: the records stay). `attendance` decides how the plug-in's
    // uninstaller is shown and waited for. What it tries is told to `context`, which outlives it.
    AddOnRemover(RemovalContext& context, const std::u16string& installPath, Attendance attendance = Attendance::User,
                 KeyDeletion deleteRecord = nullptr);

    // The eight sub-steps, in order.
    void RemoveAll();

    void RemoveCjkSupport();
    void RemoveImageDecoders();
    void RemoveSpellCheck();
    void RemoveFirefoxPlugin();
    void RemoveOnDemandCM();
    void RemoveStamps();
    void RemoveLanguageFiles();
    void RemoveOcrPlugin();

    // Runs the browser plug-in's own uninstaller and waits for it; false when it is missing,
    // reports failure, or (nobody attending) is still running after kUnattendedPluginWaitMs.
    bool RunPluginUninstaller();
    // The plug-in's uninstaller that was still running when the wait for it ended; empty when
    // none was.
    const std::u16string& PluginUninstallerLeftRunning() const { return m_strPluginLeftRunning; }

    const std::u16string& BaseDirectory() const { return m_strBaseDir; }

    enum class Operation { DeleteFile, RemoveDirectory, RemoveTree };
    struct Row {
        Operation operation;
        const char16_t* path;     // below the base directory, beginning with a backslash
        const char16_t* failure;  // reported when the operation fails; null for none
    };

    // Every removal the eight sub-steps make below the base directory, in their order: what of
    // the install directory the add-ons and their data are.
    struct Removal {
        Operation operation;
        std::u16string path;  // as a row's
    };
    static std::vector<Removal> Removals();

private:
    void DeleteRecord(const char16_t* label);
    template <std::size_t N>
    void RunRows(const Row (&rows)[N], const char16_t* label) {
        for (const Row& row : rows) RunRow(row, label);
    }
    void RunRow(const Row& row, const char16_t* label);
    static void AddDataRemovals(std::vector<Removal>& removals);  // the stamp, language and OCR rows
    template <std::size_t N>
    static void AddRows(std::vector<Removal>& removals, const Row (&rows)[N]) {
        for (const Row& row : rows) removals.push_back({row.operation, row.path});
    }
    bool Perform(Operation operation, const std::u16string& relative);

    RemovalContext& m_context;
    std::u16string m_strBaseDir;
    Attendance m_attendance;
    std::u16string m_strPluginLeftRunning;
    KeyDeletion m_deleteRecord;
};

}  // namespace engine::addons
