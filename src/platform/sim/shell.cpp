// Simulated SHELL32 calls.
#include "platform/shell.h"

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/system.h"

namespace win {

using sim::machine;

struct ITEMIDLIST {
    int folder;
};

HRESULT SHGetSpecialFolderLocation(HWND, int folder, ITEMIDLIST** idList) {
    if (sim::FaultPoint("SHGetSpecialFolderLocation")) {
        *idList = nullptr;
        return sim::kOutOfMemory;
    }
    *idList = nullptr;
    auto& folders = machine().shell.folders;
    if (!folders.count(folder)) return static_cast<HRESULT>(0x80004005);  // E_FAIL
    *idList = new ITEMIDLIST{folder};
    machine().shell.openIdLists++;
    return 0;
}

BOOL SHGetPathFromIDListW(const ITEMIDLIST* idList, LPWSTR path) {
    if (sim::FaultPoint("SHGetPathFromIDListW")) {
        if (path) path[0] = 0;
        return FALSE;
    }
    if (!idList) return FALSE;
    auto& folders = machine().shell.folders;
    auto it = folders.find(idList->folder);
    if (it == folders.end() || it->second.empty()) {
        path[0] = 0;
        return FALSE;
    }
    return sim::CopyOut(it->second, path, MAX_PATH) ? TRUE : FALSE;
}

void ILFree(ITEMIDLIST* idList) {
    sim::CountPoint("ILFree");
    if (!idList) return;
    machine().shell.openIdLists--;
    delete idList;
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show) {
    if (sim::FaultPoint("ShellExecuteW")) return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(sim::kShellAccessDenied));
    machine().Log("ShellExecuteW", sim::Narrow(sim::FromPtr(file)) + " " + sim::Narrow(sim::FromPtr(parameters)));
    auto& shell = machine().shell;
    shell.launches.push_back({sim::FromPtr(verb), sim::FromPtr(file), sim::FromPtr(parameters),
                              sim::FromPtr(directory), show, false});
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(shell.shellExecuteFails ? 2 : 42));
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
    if (sim::FaultPoint("ShellExecuteExW")) {
        info->hProcess = nullptr;
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(sim::kShellAccessDenied));
        return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    }
    machine().Log("ShellExecuteExW",
                  sim::Narrow(sim::FromPtr(info->lpFile)) + " " + sim::Narrow(sim::FromPtr(info->lpParameters)));
    auto& shell = machine().shell;
    shell.launches.push_back({sim::FromPtr(info->lpVerb), sim::FromPtr(info->lpFile),
                              sim::FromPtr(info->lpParameters), sim::FromPtr(info->lpDirectory), info->nShow, true,
                              info->fMask});
    info->hProcess = nullptr;
    if (shell.shellExecuteFails || shell.shellExecuteExNoProcess) return shell.shellExecuteFails ? FALSE : TRUE;
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS) {
        auto& sys = machine().system;
        sys.openProcessHandles++;
        info->hProcess = reinterpret_cast<HANDLE>(0x30000 + 0x8000 + shell.launches.size());
    }
    return TRUE;
}

void SHChangeNotify(LONG event, UINT flags, const void* item1, const void*) {
    sim::CountPoint("SHChangeNotify");
    std::u16string path;
    if ((flags & 0xFF) == SHCNF_PATHW && item1) path = static_cast<const char16_t*>(item1);
    machine().Log("SHChangeNotify", std::to_string(event) + " " + sim::Narrow(path));
    machine().shell.notifications.push_back({event, flags, path});
}

}  // namespace win
