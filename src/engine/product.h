// Names and places of the product that more than one part of the program needs.
#pragma once
#include "core/joined_text.h"
#include "resources/resource_ids.h"

namespace engine::product {

// The product's key below a root's "Software": the vendor's key, then the product's. The records
// step names it under "SOFTWARE", the rest of the program under "Software".
inline constexpr char16_t kVendorAndProduct[] = u"Orvik Software\\Orvik Pendrel";
inline constexpr char16_t kSoftware[] = u"Software\\";
inline constexpr auto& kProductKeyText = core::Joined<kSoftware, kVendorAndProduct>::kText;
inline constexpr const char16_t* kProductKey = kProductKeyText.data();
inline constexpr char16_t kLanguageSubkey[] = u"\\LANGUAGE";
inline constexpr const char16_t* kLanguageKey = core::kJoined<kProductKeyText, kLanguageSubkey>;
inline constexpr char16_t kInstallPathValue[] = u"InstallPath";
inline constexpr char16_t kExistPathValue[] = u"ExistPath";
inline constexpr char16_t kLanguageValue[] = u"langid";
inline constexpr char16_t kExecutableName[] = u"Orvik Pendrel.exe";
inline constexpr char16_t kUninstallerName[] = u"Uninstall.exe";  // the installed copy, in the install directory
inline constexpr char16_t kPipeName[] = u"\\\\.\\pipe\\Orvik Pendrel";
inline constexpr char16_t kMutexName[] = u"ORVIK_PENDREL_UNINSTALL_MUTEX";

// Message numbers of the string table and the language files.
enum Message : unsigned {
    kMsgNoVersionInfo = IDS_NO_VERSION_INFO,
    kMsgWindowsTooOld = IDS_WINDOWS_TOO_OLD,
    kMsgNeedAdministrator = IDS_NEED_ADMINISTRATOR,
    kMsgPleaseWait = IDS_PLEASE_WAIT,
    kMsgConfirmUninstall = IDS_CONFIRM_UNINSTALL,
    kMsgProductInUse = IDS_PRODUCT_IN_USE,
    kMsgRemoved = IDS_REMOVED,
    kMsgWebAddress = IDS_WEB_ADDRESS,
    kMsgWebUrl = IDS_WEB_URL,
    kMsgCaption = IDS_CAPTION,
    kMsgCannotOpenPrinter = IDS_CANNOT_OPEN_PRINTER,
    kMsgCannotDeletePrinter = IDS_CANNOT_DELETE_PRINTER,
    kMsgCannotDeleteDriver = IDS_CANNOT_DELETE_DRIVER,
    kMsgInstallPathUnusable = IDS_INSTALL_PATH_UNUSABLE,
    kMsgPartlyRemoved = IDS_PARTLY_REMOVED,
};

}  // namespace engine::product
