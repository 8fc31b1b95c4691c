#include "platform/sim/machine.h"

#include <algorithm>
#include <memory>

namespace sim {

namespace {
std::unique_ptr<Machine>& Instance() {
    static std::unique_ptr<Machine> instance;
    return instance;
}
}  // namespace

Machine& machine() {
    if (!Instance()) Reset();
    return *Instance();
}

void Machine::Log(const char* function, const std::string& argument) {
    calls.push_back(std::string(function) + " " + argument);
    if (!onCall || inOnCall) return;
    inOnCall = true;
    onCall(function, argument);
    inOnCall = false;
}

std::size_t Machine::CountCalls(const std::string& function) const { return CallsTo(function).size(); }

std::vector<std::string> Machine::DeletionsTried(const std::string& kind) const {
    std::vector<std::string> paths;
    const std::string prefix = "delete " + kind + " ";
    for (const std::string& call : CallsTo("NtOpenFile"))
        if (call.compare(0, prefix.size(), prefix) == 0) paths.push_back(call.substr(prefix.size()));
    return paths;
}

std::vector<std::string> Machine::CallsTo(const std::string& function) const {
    std::vector<std::string> out;
    std::string prefix = function + " ";
    for (const auto& c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c.substr(prefix.size()));
    return out;
}

void Reset() {
    ResetFileHandles();
    Instance() = std::make_unique<Machine>();
    Machine& m = *Instance();
    m.registry.Create(win::HKEY_LOCAL_MACHINE, u"Software\\Classes");
    m.registry.Create(win::HKEY_CURRENT_USER, u"Software\\Classes");
    FileSystem& fs = m.files;
    fs.AddDirectory(u"C:\\windows\\system32");
    fs.AddDirectory(u"C:\\windows\\Temp");
    fs.AddFile(u"C:\\windows\\system32\\cmd.exe");
    fs.AddDirectory(m.system.tempPath);
    fs.AddDirectory(u"C:\\Program Files");
    const std::u16string profile = u"C:\\Users\\user";
    const std::u16string common = u"C:\\Users\\Public";
    m.shell.folders = {
        {win::CSIDL_DESKTOPDIRECTORY, profile + u"\\Desktop"},
        {win::CSIDL_COMMON_DESKTOPDIRECTORY, common + u"\\Desktop"},
        {win::CSIDL_APPDATA, profile + u"\\AppData\\Roaming"},
        {win::CSIDL_PROGRAMS, profile + u"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
        {win::CSIDL_COMMON_PROGRAMS, u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
    };
    for (auto& [id, path] : m.shell.folders) fs.AddDirectory(path);
    // Where the system keeps the same folders for programs that do not ask the shell.
    const std::u16string shellFolders = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    for (const auto& [name, path] : {std::pair<const char16_t*, std::u16string>{u"Desktop", profile + u"\\Desktop"},
                                     {u"AppData", profile + u"\\AppData\\Roaming"},
                                     {u"Local AppData", profile + u"\\AppData\\Local"},
                                     {u"Personal", profile + u"\\Documents"},
                                     {u"Programs", m.shell.folders[win::CSIDL_PROGRAMS]}})
        m.registry.SetString(win::HKEY_CURRENT_USER, shellFolders, name, path);
    for (const auto& [name, path] : {std::pair<const char16_t*, std::u16string>{u"Common Desktop", common + u"\\Desktop"},
                                     {u"Common AppData", u"C:\\ProgramData"},
                                     {u"Common Programs", m.shell.folders[win::CSIDL_COMMON_PROGRAMS]}})
        m.registry.SetString(win::HKEY_LOCAL_MACHINE, shellFolders, name, path);
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion", u"ProgramFilesDir",
                         u"C:\\Program Files");
    m.system.environment[u"USERPROFILE"] = profile;
    // The spooler's records of a machine without printers of its own.
    WriteSpoolerRecords();
    m.calls.clear();
}

}  // namespace sim
