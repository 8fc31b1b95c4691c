// The browser plug-in's own uninstaller: found under one of its two names, started, waited for,
// and judged by its exit code.
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
    // when it holds spaces. The shell, which used to start it, put a blank between its quoted
    // name and these parameters; the program sees the same line now.
    const std::u16string parameters = u" -p " + base + u"\\plugins\\";
    std::u16string commandLine = u"\"" + program + u"\" " + parameters;
    // It needs its own directory, this command line and our rights, nothing of the shell's: it
    // is started directly, by its full name. Where no window of ours is shown it gets no console
    // either: a console program would get a console window and a console host process of its
    // own, and with none a read of its input ends at once instead of waiting on a window nobody
    // sees. With nobody there at all its own window is hidden too.
    win::STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = win::STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<win::WORD>(m_attendance == Attendance::Nobody ? win::SW_HIDE : win::SW_SHOW);
    const win::DWORD flags = m_attendance == Attendance::User ? 0 : win::DETACHED_PROCESS;
    win::PROCESS_INFORMATION started{};
    // It runs elevated: its own directory is its current one, never the user's temporary
    // directory, where a library it loads by bare name could have been planted. A program that
    // could not be started has nothing to undo.
    if (!win::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, win::FALSE, flags, nullptr, base.c_str(),
                             &startup, &started))
        return true;
    const win::ScopedHandle thread(started.hThread);

    // The installer and the user at the wizard see it run and wait for it as long as it takes;
    // a quiet run, which nobody can answer, goes on without it after a while and says so.
    const win::DWORD limit = m_attendance == Attendance::Nobody ? kUnattendedPluginWaitMs : win::INFINITE;
    win::DWORD exitCode = 0;
    {
        const win::ScopedHandle process(started.hProcess);
        if (win::WaitForSingleObject(process.get(), limit) == win::WAIT_TIMEOUT) {
            m_strPluginLeftRunning = program;
            ReportRemovalFailure(m_context, u"still running after five minutes, left running", kFirefoxPluginLabel);
            return false;
        }
        win::GetExitCodeProcess(process.get(), &exitCode);
    }

    for (const ExitCodeMeaning& meaning : PluginUninstallerResult) {
        if (meaning.code != exitCode) continue;
        if (meaning.text) ReportRemovalFailure(m_context, meaning.text, kFirefoxPluginLabel);
        return meaning.success;
    }
    return false;
}

}  // namespace engine::addons
