// A machine with everything the product's installer lays down (records, language file,
// shortcuts, add-ons and their records, the virtual printer with driver, files and port, the Word
// add-in, the browser plug-in's uninstaller, program files, associations, registry records), next
// to things of other programs and of the user that must survive any run.
#pragma once
#include <string>

#include "platform/sim/machine.h"
#include "platform/spooler.h"
#include "support/product_machine.h"

namespace testing_support {


inline win::HRESULT WIN_STDCALL UnregisterWordAddin() { return 0; }

// Another program's files and records, the user's own files, another printer.
inline void LayDownForeignItems() {
    auto& m = sim::machine();
    const win::HKEY LM = win::HKEY_LOCAL_MACHINE;
    const win::HKEY CU = win::HKEY_CURRENT_USER;
    m.files.AddFile(u"C:\\Program Files\\Contoso Viewer\\viewer.exe", "MZ");
    m.files.AddFile(u"C:\\Program Files\\Orvik Software\\Orvik Scan\\scan.exe", "MZ");
    m.files.AddFile(u"C:\\Users\\user\\Desktop\\notes.txt", "mine");
    m.files.AddFile(u"C:\\Users\\Public\\Desktop\\Contoso Viewer.lnk");
    m.files.AddFile(u"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Contoso\\Viewer.lnk");
    m.files.AddFile(u"C:\\Users\\user\\AppData\\Local\\Temp\\draft.tmp", "work");
    m.files.AddFile(u"C:\\windows\\system32\\spool\\drivers\\w32x86\\3\\contoso.dll", "MZ");
    m.registry.SetString(LM, u"Software\\Orvik Software\\Orvik Scan", u"InstallPath",
                         u"C:\\Program Files\\Orvik Software\\Orvik Scan\\");
    m.registry.SetString(LM, u"Software\\Classes\\.txt", u"", u"txtfile");
    m.registry.SetString(LM, u"Software\\Classes\\.pdf\\OpenWithProgids", u"Contoso.Document", u"");
    m.registry.SetString(LM, u"Software\\Classes\\MIME\\Database\\Content Type\\text/plain", u"Extension", u".txt");
    m.registry.SetString(CU, u"Software\\Contoso\\Viewer", u"Recent", u"C:\\Users\\user\\Desktop\\notes.txt");
    m.registry.SetString(CU, u"Software\\Orvik Software\\Orvik Scan\\Updates List\\Scanner Pack", u"Version", u"2");
    m.spooler.AddDriver(u"Contoso Text Printer Driver");
    m.spooler.ports.push_back(u"LPT1:");
    m.spooler.AddPrinter(u"Contoso Text", u"Contoso Text Printer Driver", u"LPT1:");
}

inline void LayDownProduct() {
    auto& m = sim::machine();
    auto& fs = m.files;
    const win::HKEY LM = win::HKEY_LOCAL_MACHINE;
    const win::HKEY CU = win::HKEY_CURRENT_USER;
    testing_support::InstallProduct();
    const std::u16string dir = kInstallDir;

    // Language: the English file, chosen by the recorded language number.
    m.registry.SetString(CU, u"Software\\Orvik Software\\Orvik Pendrel\\LANGUAGE", u"langid", u"40811");
    fs.AddFile(dir + u"lang\\uninst_lang_en_us.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language id=\"40811\" name=\"English\"><Strings>"
               "<String id=\"5\" text=\"Are you sure you want to uninstall Orvik Pendrel?\"/>"
               "<String id=\"8\" text=\"You have successfully removed Orvik Pendrel.\"/>"
               "<String id=\"12\" text=\"Orvik Pendrel Uninstall Wizard\"/></Strings></Language>\n");

    // Shortcuts.
    fs.AddFile(u"C:\\Users\\user\\Desktop\\Orvik Pendrel.lnk");
    fs.AddFile(u"C:\\Users\\Public\\Desktop\\Orvik Pendrel.lnk");
    fs.AddFile(u"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\Orvik Pendrel.lnk");
    fs.AddFile(u"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Orvik Pendrel\\Orvik Pendrel.lnk");
    fs.AddFile(u"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Orvik Pendrel\\Uninstall.lnk");
    fs.AddFile(u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Orvik Pendrel\\Orvik Pendrel.lnk");

    // Add-ons with their records, data directories, the browser plug-in and its uninstaller.
    for (const char16_t* label : {u"Eastern Asian Language Support", u"JPEG2000 and JBIG2 Image Decoders",
                                  u"Orvik Spell Check Language", u"Firefox Plugin", u"OnDemandCM"})
        m.registry.SetString(CU, std::u16string(u"Software\\Orvik Software\\Orvik Pendrel\\Updates List\\") + label,
                             u"Version", u"1");
    for (const char16_t* name :
         {u"kpdfcjk.bin", u"kvdecod1.dll", u"lex\\accent.tlx", u"lex\\correct.tlx", u"lex\\ssceam.tlx",
          u"lex\\ssceam2.clx", u"lex\\sscebr.tlx", u"lex\\sscebr2.clx", u"lex\\ssceca.tlx", u"lex\\ssceca2.clx",
          u"lex\\tech.tlx", u"lex\\userdic.tlx", u"Plugins\\npOrvikReaderPlugin.dll", u"UnPDFReaderPlugin.exe",
          u"Plugins\\OnDemandCM\\OnDemandPlugin.dll", u"Plugins\\OnDemandCM\\curl\\curl.exe",
          u"Plugins\\OnDemandCM\\curl\\libcurl.dll", u"Plugins\\OnDemandCM\\curl\\libeay32.dll",
          u"Plugins\\OnDemandCM\\curl\\libssl32.dll", u"Plugins\\OnDemandCM\\cmaps.xml",
          u"Stamps\\Standard Stamps\\Approved.pdf", u"Stamps\\Sign Here\\Sign.pdf",
          u"plugins\\OCR\\KV_Abbyy_OCR\\engine.dat", u"plugins\\OCR\\KV_Abbyy_OCR.Dll", u"UpdaterInfo.xml"})
        fs.AddFile(dir + name);

    // The virtual printer and the Word add-in.
    const std::u16string driverDir = u"C:\\windows\\system32\\spool\\drivers\\w32x86";
    for (const char16_t* name : {u"ozrvpr_pnt.txt", u"ozrvpr_ui.dll", u"ozrvpr_drv.dll"}) {
        fs.AddFile(driverDir + u"\\" + name);
        fs.AddFile(driverDir + u"\\3\\" + name);
    }
    fs.AddFile(driverDir + u"\\3\\KVC_ProxyProcess.exe");
    fs.AddFile(dir + u"KPC_WordAddin.dll", "MZ");
    m.system.libraries[dir + u"KPC_WordAddin.dll"].exports["DllUnregisterServer"] =
        reinterpret_cast<win::FARPROC>(&UnregisterWordAddin);
    m.spooler.AddDriver(u"Orvik Pendrel Printer Driver");
    m.spooler.ports.push_back(u"ORVIK_PENDREL:");
    m.spooler.AddPrinter(u"Orvik Pendrel PDF", u"Orvik Pendrel Printer Driver", u"ORVIK_PENDREL:");
    m.spooler.AddPrinter(u"Orvik Pendrel PDF (Copy 2)", u"Orvik Pendrel Printer Driver", u"ORVIK_PENDREL:");

    // Program files.
    for (const char16_t* name : {u"Readme.txt", u"config.xml", u"InOther.exe", u"InComplete.exe"})
        fs.AddFile(dir + name);

    // Associations: the product opens ".pdf" and ".fdf" for the user.
    const std::u16string command = u"\"" + dir + u"Orvik Pendrel.exe\" \"%1\"";
    const std::u16string docClsid = u"{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}";
    const std::u16string fdfClsid = u"{C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8}";
    const std::u16string fileExts = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
    auto& r = m.registry;
    r.SetString(LM, u"Software\\Classes\\OrvikPendrel.Document\\shell\\open\\command", u"", command);
    r.SetString(LM, u"Software\\Classes\\OrvikPendrel.FDFDoc\\shell\\open\\command", u"", command);
    r.SetString(LM, u"Software\\Classes\\OrvikPendrel.Document\\CLSID", u"", docClsid);
    r.SetString(LM, u"Software\\Classes\\OrvikPendrel.FDFDoc\\CLSID", u"", fdfClsid);
    r.SetString(LM, u"Software\\Classes\\CLSID\\" + docClsid + u"\\LocalServer32", u"", dir + u"Orvik Pendrel.exe");
    r.SetString(LM, u"Software\\Classes\\CLSID\\" + fdfClsid + u"\\LocalServer32", u"", dir + u"Orvik Pendrel.exe");
    r.SetString(LM, u"Software\\Classes\\Applications\\ORVIKP~1.EXE\\shell\\open\\command", u"", command);
    r.SetString(LM, u"Software\\Classes\\.pdf", u"", u"OrvikPendrel.Document");
    r.SetString(LM, u"Software\\Classes\\.fdf", u"", u"OrvikPendrel.FDFDoc");
    r.SetString(LM, u"Software\\Classes\\MIME\\Database\\Content Type\\application/pdf", u"CLSID", docClsid);
    r.SetString(LM, u"Software\\Classes\\MIME\\Database\\Content Type\\application/vnd.fdf", u"CLSID", fdfClsid);
    r.SetString(CU, fileExts + u".pdf\\UserChoice", u"Progid", u"OrvikPendrel.Document");
    r.SetString(CU, fileExts + u".fdf\\UserChoice", u"Progid", u"OrvikPendrel.FDFDoc");
    r.SetString(LM, u"Software\\Classes\\.pdf\\OpenWithProgids", u"OrvikPendrel.Document", u"");
    r.SetString(CU, fileExts + u".pdf\\OpenWithProgids", u"OrvikPendrel.Document", u"");
    r.SetString(CU, fileExts + u".fdf\\OpenWithProgids", u"OrvikPendrel.FDFDoc", u"");

    // Registry records.
    r.SetString(LM, u"Software\\Orvik Software\\Orvik Pendrel\\Settings", u"Zoom", u"100");
    r.SetString(CU, u"Software\\Orvik Software\\Orvik Pendrel\\Recent", u"File1", u"C:\\a.pdf");
    r.SetString(LM, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik Pendrel", u"UninstallString",
                dir + u"Uninstall.exe");
    r.SetString(LM, u"Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Orvik Pendrel",
                u"SlowInfoCache", u"x");
    r.SetString(CU, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Orvik Pendrel",
                u"Order", u"x");
    fs.pipe.exists = true;
}

// The installed copy has made its temporary copy, which does the work.
inline void PlaceTemporaryCopy() {
    auto& m = sim::machine();
    m.system.modulePath = m.system.tempPath + u"orv1A2B.exe";
    m.files.AddFile(m.system.modulePath, "MZ");
}

}  // namespace testing_support
