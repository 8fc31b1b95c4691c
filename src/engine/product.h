// Names and places of the product that more than one part of the program needs.
#pragma once

namespace product {

inline constexpr char16_t kProductKey[] = u"Software\\Orvik Software\\Orvik Pendrel";
inline constexpr char16_t kLanguageKey[] = u"Software\\Orvik Software\\Orvik Pendrel\\LANGUAGE";
inline constexpr char16_t kInstallPathValue[] = u"InstallPath";
inline constexpr char16_t kExistPathValue[] = u"ExistPath";
inline constexpr char16_t kLanguageValue[] = u"langid";
inline constexpr char16_t kExecutableName[] = u"Orvik Pendrel.exe";
inline constexpr char16_t kPipeName[] = u"\\\\.\\pipe\\Orvik Pendrel";
inline constexpr char16_t kMutexName[] = u"ORVIK_PENDREL_UNINSTALL_MUTEX";

// Message numbers of the string table.
enum Message : unsigned {
    kMsgNoVersionInfo = 1,
    kMsgWindowsTooOld = 2,
    kMsgNeedAdministrator = 3,
    kMsgPleaseWait = 4,
    kMsgConfirmUninstall = 5,
    kMsgProductInUse = 6,
    kMsgRemoved = 8,
    kMsgWebAddress = 9,
    kMsgWebUrl = 10,
    kMsgCaption = 12,
    kMsgCannotOpenPrinter = 13,
    kMsgCannotDeletePrinter = 14,
    kMsgCannotDeleteDriver = 15,
    kMsgInstallPathUnusable = 20,
};

}  // namespace product
