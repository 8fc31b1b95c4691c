// The browser plug-in's own uninstaller: found under one of its two names, started through the
// shell, waited for, and judged by its exit code.
#include "engine/addons/add_on_remover.h"
#include "engine/files/file.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace engine::addons {
namespace {

constexpr const char16_t* kProgramNames[] = {u"\\UnPDFReaderPlugin.exe", u"\\UninstallPDFReaderPlugin.exe"};

struct ExitCodeMeaning {
    win::DWORD code;
    const char16_t* text;  // null: nothing to report
    bool success;
};

// Codes 1 and 8 say that one of the two browsers is not installed, which leaves nothing to do
// for it; every code not listed is a failure without a text.
constexpr ExitCodeMeaning PluginUninstallerResult[] = {
    {0, nullptr, true},
    {1, u"mozilla firefox is not installed", true},
    {2, u"the path is not correct", false},
    {3, u"password is not correct", false},
    {4, u"no much space for installation", false},
    {5, u"register orvikpdfreadercontrol.dll unsucessfully", false},
    {6, u"compression files are destroyed", false},
    {7, u"undefined", false},
    {8, u"Opera is not installed", true},
    {9, u"Opera and firefox are not installed", false},
};

// A directory of that name is no program: the shell would open it in a window of its own.
bool IsProgramFile(const std::u16string& path) {
    win::WIN32_FIND_DATAW found;
    return files::FindFirstEntry(path, &found) && !(found.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool AddOnRemover::RunPluginUninstaller() {
    const std::u16string& base = BaseDirectory();
    if (base.empty()) return false;
    std::u16string program;
    for (const char16_t* name : kProgramNames) {
        if (IsProgramFile(base + name)) {
            program = base + name;
            break;
        }
    }
    if (program.empty()) return false;

    // The program takes the rest of its command line as the plug-in directory, unquoted even
    // when it holds spaces.
    const std::u16string parameters = u" -p " + base + u"\\plugins\\";
    win::SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The installer runs the removal unattended: a program that cannot be started must not
    // leave a shell error box waiting for an answer nobody gives.
    info.fMask = win::SEE_MASK_NOCLOSEPROCESS | (IsSilent() ? win::SEE_MASK_FLAG_NO_UI : 0);
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    // It runs elevated: its own directory is its current one, never the user's temporary
    // directory, where a library it loads by bare name could have been planted.
    info.lpDirectory = base.c_str();
    info.nShow = win::SW_SHOW;
    win::ShellExecuteExW(&info);
    // A program that could not be started has nothing to undo.
    if (!info.hProcess) return true;

    win::DWORD exitCode = 0;
    {
        const win::ScopedHandle process(info.hProcess);
        win::WaitForSingleObject(process.get(), win::INFINITE);
        win::GetExitCodeProcess(process.get(), &exitCode);
    }

    for (const ExitCodeMeaning& meaning : PluginUninstallerResult) {
        if (meaning.code != exitCode) continue;
        if (meaning.text) ReportRemovalFailure(meaning.text, kFirefoxPluginLabel);
        return meaning.success;
    }
    return false;
}

}  // namespace engine::addons
