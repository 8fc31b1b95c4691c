#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::SHELLEXECUTEINFOW) == sizeof(::SHELLEXECUTEINFOW), "shell execute record layout");
static_assert(offsetof(win::SHELLEXECUTEINFOW, hProcess) == offsetof(::SHELLEXECUTEINFOW, hProcess),
              "shell execute record layout");

namespace win {

HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, ITEMIDLIST** idList) {
    return CALL_SYSTEM_FUNCTION(Shell32, SHGetSpecialFolderLocation, E_NOTIMPL, H<::HWND>(owner), folder,
                                reinterpret_cast<::LPITEMIDLIST*>(idList));
}
BOOL SHGetPathFromIDListW(const ITEMIDLIST* idList, LPWSTR path) {
    return CALL_SYSTEM_FUNCTION(Shell32, SHGetPathFromIDListW, FALSE, reinterpret_cast<::LPCITEMIDLIST>(idList),
                                W(path));
}
void ILFree(ITEMIDLIST* idList) { CALL_SYSTEM_FUNCTION(Ole32, CoTaskMemFree, void(), idList); }
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show) {
    return H<HINSTANCE>(CALL_SYSTEM_FUNCTION(Shell32, ShellExecuteW, nullptr, H<::HWND>(owner), W(verb), W(file),
                                             W(parameters), W(directory), show));
}
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
    return CALL_SYSTEM_FUNCTION(Shell32, ShellExecuteExW, FALSE, reinterpret_cast<::SHELLEXECUTEINFOW*>(info));
}
void SHChangeNotify(LONG event, UINT flags, const void* item1, const void* item2) {
    CALL_SYSTEM_FUNCTION(Shell32, SHChangeNotify, void(), event, flags, item1, item2);
}

}  // namespace win
