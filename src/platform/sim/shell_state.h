// The simulated shell: special folders, programs started through it, change notifications.
#pragma once
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace sim {

struct ShellLaunch {
    std::u16string verb;
    std::u16string file;
    std::u16string parameters;
    std::u16string directory;
    int show = 0;
    bool extended = false;  // ShellExecuteExW
    win::ULONG mask = 0;    // ShellExecuteExW's fMask
};

struct ShellNotification {
    win::LONG event;
    win::UINT flags;
    std::u16string path;  // for SHCNF_PATHW
};

struct ShellState {
    std::map<int, std::u16string> folders;  // CSIDL -> path; a missing entry cannot be resolved
    std::vector<ShellLaunch> launches;
    bool shellExecuteFails = false;      // ShellExecuteW returns 2 (file not found)
    bool shellExecuteExNoProcess = false;
    std::vector<ShellNotification> notifications;
    int openIdLists = 0;
};

}  // namespace sim
