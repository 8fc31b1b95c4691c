#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/interop.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::SHELLEXECUTEINFOW) == sizeof(::SHELLEXECUTEINFOW), "shell execute record layout");
static_assert(offsetof(win::SHELLEXECUTEINFOW, hProcess) == offsetof(::SHELLEXECUTEINFOW, hProcess),
              "shell execute record layout");

namespace win {

HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, ITEMIDLIST** idList) {
    return ::SHGetSpecialFolderLocation(H<::HWND>(owner), folder, reinterpret_cast<::LPITEMIDLIST*>(idList));
}
BOOL SHGetPathFromIDListW(const ITEMIDLIST* idList, LPWSTR path) {
    return ::SHGetPathFromIDListW(reinterpret_cast<::LPCITEMIDLIST>(idList), W(path));
}
void ILFree(ITEMIDLIST* idList) { ::CoTaskMemFree(idList); }
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show) {
    return H<HINSTANCE>(::ShellExecuteW(H<::HWND>(owner), W(verb), W(file), W(parameters), W(directory), show));
}
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
    return ::ShellExecuteExW(reinterpret_cast<::SHELLEXECUTEINFOW*>(info));
}
void SHChangeNotify(LONG event, UINT flags, const void* item1, const void* item2) {
    ::SHChangeNotify(event, flags, item1, item2);
}

}  // namespace win
