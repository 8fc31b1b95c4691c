// The simulated Windows that the native build links in place of the real one. One machine per
// process; tests reset it before each case and arrange what they need.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/files_state.h"
#include "platform/sim/gdi_state.h"
#include "platform/sim/registry_state.h"
#include "platform/sim/shell_state.h"
#include "platform/sim/spooler_state.h"
#include "platform/sim/system_state.h"
#include "platform/sim/window_state.h"

namespace sim {

struct Machine {
    RegistryState registry;
    FileSystem files;
    SystemState system;
    ShellState shell;
    SpoolerState spooler;
    WindowState windows;
    GdiState gdi;
    FaultPlan faults;
    std::vector<std::string> calls;  // "Function argument", in call order (mutating calls and opens)
    // Called at each call logged, before the call acts: another process of the machine at work
    // meanwhile. Calls the hook makes itself are logged without calling it again.
    std::function<void(const std::string& function, const std::string& argument)> onCall;
    bool inOnCall = false;

    void Log(const char* function, const std::string& argument);
    std::size_t CountCalls(const std::string& function) const;
    std::vector<std::string> CallsTo(const std::string& function) const;  // their arguments
    // The deletions tried through handles: the full paths opened with the right to delete, of
    // files ("file"), directories ("directory") or either kind ("either").
    std::vector<std::string> DeletionsTried(const std::string& kind) const;
};

Machine& machine();
// A fresh machine: empty registry but for "Software" under both roots, drive C with the usual
// folders (Windows, temp, profile, Program Files), the common shell folders resolvable.
void Reset();

bool CloseFileHandle(win::HANDLE handle);
bool IsOpenForWriting(const FileNode* node);
// Whether `handle` is open and would be inherited by a process started to inherit handles.
bool IsInheritable(win::HANDLE handle);
// For WaitForSingleObject: -1 when `handle` is no event, else whether it is signalled.
int EventState(win::HANDLE handle);
void ResetFileHandles();
// Files (and the pipe) opened and not closed, and file searches not ended: what a leak leaves.
std::size_t OpenFileCount();
std::size_t OpenSearchCount();
// Whether this process holds an instance of the installer's pipe that the installer serves.
bool InstallerPipeOpen();
// The ends of anonymous pipes this process holds open.
std::vector<win::HANDLE> OpenAnonymousPipeEnds();
// Those of them that a process started to inherit handles would not get.
std::size_t UninheritedPipeEndCount();

}  // namespace sim
