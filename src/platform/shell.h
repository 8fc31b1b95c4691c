// Shell operations (SHELL32).
#pragma once
#include "platform/types.h"

namespace win {

struct ITEMIDLIST;

constexpr int CSIDL_PROGRAMS = 2;
constexpr int CSIDL_DESKTOPDIRECTORY = 16;
constexpr int CSIDL_COMMON_PROGRAMS = 23;
constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 25;
constexpr int CSIDL_APPDATA = 26;

constexpr LONG SHCNE_DELETE = 0x00000004;
constexpr LONG SHCNE_ASSOCCHANGED = 0x08000000;
constexpr UINT SHCNF_IDLIST = 0x0000;
constexpr UINT SHCNF_PATHW = 0x0005;

constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
};

HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, ITEMIDLIST** idList);
BOOL SHGetPathFromIDListW(const ITEMIDLIST* idList, LPWSTR path);
void ILFree(ITEMIDLIST* idList);
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show);
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
void SHChangeNotify(LONG event, UINT flags, const void* item1, const void* item2);

}  // namespace win
