// The names of the product's printer side, as the printer tests lay it down and look for it.
#pragma once
#include <string>

namespace testing_support::printer_side {

inline const std::u16string kInstallDir = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel";
inline const std::u16string kAddin = kInstallDir + u"\\KPC_WordAddin.dll";
inline const std::u16string kDriver = u"Orvik Pendrel Printer Driver";
inline const std::u16string kPort = u"ORVIK_PENDREL:";
inline const std::u16string kX86Dir = u"C:\\windows\\system32\\spool\\drivers\\w32x86";
inline const std::u16string kX64Dir = u"C:\\windows\\system32\\spool\\drivers\\x64";
inline const char16_t* const kStaging[] = {u"ozrvpr_pnt.txt", u"ozrvpr_ui.dll", u"ozrvpr_drv.dll"};
inline const char16_t* const kInstalled[] = {u"ozrvpr_pnt.txt", u"ozrvpr_ui.dll", u"ozrvpr_drv.dll",
                                             u"KVC_ProxyProcess.exe"};

}  // namespace testing_support::printer_side
