// The virtual printer: the driver's staging and installed files, the driver, the port (through
// the local port monitor), two printers on the driver, the Word add-in, and on request a
// foreign printer that carries the product's printer name on a driver of its own.
// --with foreign-printer   also another maker's printer named "Orvik Pendrel Printer"
// --with no-printer        no printer side at all (the add-in still, unless no-word-addin)
// --with no-word-addin     no "KPC_WordAddin.dll"
#include "footprint.h"

#include <winspool.h>

#include <cstdio>

namespace footprint {
namespace {

const wchar_t kDriver[] = L"Orvik Pendrel Printer Driver";
const wchar_t kPort[] = L"ORVIK_PENDREL:";
const wchar_t* const kPrinters[] = {L"Orvik Pendrel PDF", L"Orvik Pendrel PDF (Copy 2)"};
const wchar_t* const kStagingFiles[] = {L"ozrvpr_pnt.txt", L"ozrvpr_ui.dll", L"ozrvpr_drv.dll"};
const wchar_t* const kInstalledFiles[] = {L"ozrvpr_pnt.txt", L"ozrvpr_ui.dll", L"ozrvpr_drv.dll",
                                          L"KVC_ProxyProcess.exe"};
const wchar_t* const kTemporaryFiles[] = {L"kvTmp1.tmp", L"kvTmp2.tmp", L"kvTmp3.tmp", L"kvTmp4.tmp"};

// Another maker's printer that happens to carry the product's printer name.
const wchar_t kForeignPrinter[] = L"Orvik Pendrel Printer";
const wchar_t kForeignDriver[] = L"Contoso Text Printer Driver";
const wchar_t kForeignPort[] = L"CONTOSO_TEXT:";
const wchar_t* const kForeignFiles[] = {L"contoso_txt.txt", L"contoso_ui.dll", L"contoso_drv.dll"};

const wchar_t kWordAddin[] = L"KPC_WordAddin.dll";

void Complain(const wchar_t* what, const std::wstring& name, DWORD error) {
    std::fwprintf(stderr, L"footprint: %ls %ls failed (error %lu)\n", what, name.c_str(), error);
}

std::wstring DriverDirectory() {
    wchar_t dir[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &needed)) return L"";
    return dir;
}

std::wstring KitFile(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

bool XcvPortCommand(const wchar_t* command, const std::wstring& port) {
    HANDLE monitor = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    wchar_t name[] = L", XcvMonitor Local Port";
    if (!OpenPrinterW(name, &monitor, &defaults)) {
        Complain(L"OpenPrinterW", name, GetLastError());
        return false;
    }
    DWORD needed = 0, status = 0;
    BYTE output[1];
    BOOL ok = XcvDataW(monitor, command, reinterpret_cast<BYTE*>(const_cast<wchar_t*>(port.c_str())),
                       static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)), output, 0, &needed, &status);
    ClosePrinter(monitor);
    if (!ok || status != ERROR_SUCCESS) Complain(command, port, ok ? status : GetLastError());
    return ok && status == ERROR_SUCCESS;
}

void InstallDriver(const std::wstring& name, const wchar_t* const files[3], const std::wstring& dependent) {
    const std::wstring dir = DriverDirectory();
    for (int i = 0; i < 3; ++i) WriteTextFile(dir + L"\\" + files[i], "driver file");
    std::wstring dependentList = dependent + L'\0';
    DRIVER_INFO_3W info{};
    info.cVersion = 3;
    info.pName = const_cast<wchar_t*>(name.c_str());
    info.pDriverPath = const_cast<wchar_t*>(files[2]);
    info.pDataFile = const_cast<wchar_t*>(files[0]);
    info.pConfigFile = const_cast<wchar_t*>(files[1]);
    info.pDependentFiles = dependent.empty() ? nullptr : &dependentList[0];
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES))
        Complain(L"AddPrinterDriverExW", name, GetLastError());
}

void InstallPrinter(const std::wstring& name, const std::wstring& driver, const std::wstring& port) {
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(name.c_str());
    info.pPortName = const_cast<wchar_t*>(port.c_str());
    info.pDriverName = const_cast<wchar_t*>(driver.c_str());
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) Complain(L"AddPrinterW", name, GetLastError());
    else ClosePrinter(printer);
}

// Whether a spooler list (printers, drivers, ports) names `name`; `enumerate` is called as
// (buffer, size, needed, returned) and `field` picks the name out of a record.
template <typename Record, typename Enumerate>
bool Listed(const std::wstring& name, Enumerate enumerate, LPWSTR Record::*field) {
    DWORD needed = 0, count = 0;
    enumerate(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (!enumerate(buffer.data(), needed, &needed, &count)) return false;
    auto* records = reinterpret_cast<Record*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (records[i].*field && lstrcmpiW(records[i].*field, name.c_str()) == 0) return true;
    return false;
}

bool PrinterExists(const std::wstring& name) {
    return Listed(name, [](BYTE* b, DWORD s, DWORD* n, DWORD* c) {
        return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, b, s, n, c);
    }, &PRINTER_INFO_2W::pPrinterName);
}

bool DriverExists(const std::wstring& name) {
    return Listed(name, [](BYTE* b, DWORD s, DWORD* n, DWORD* c) {
        return EnumPrinterDriversW(nullptr, nullptr, 1, b, s, n, c);
    }, &DRIVER_INFO_1W::pName);
}

bool PortExists(const std::wstring& name) {
    return Listed(name, [](BYTE* b, DWORD s, DWORD* n, DWORD* c) { return EnumPortsW(nullptr, 1, b, s, n, c); },
                  &PORT_INFO_1W::pName);
}

void Install(const Options& o) {
    if (!o.Has(L"no-word-addin") &&
        !CopyFileW(KitFile(kWordAddin).c_str(), o.InstallFile(kWordAddin).c_str(), FALSE))
        Complain(L"CopyFileW", kWordAddin, GetLastError());
    if (o.Has(L"no-printer")) return;
    const std::wstring dir = DriverDirectory();
    if (dir.empty()) {
        Complain(L"GetPrinterDriverDirectoryW", L"", GetLastError());
        return;
    }
    InstallDriver(kDriver, kStagingFiles, L"KVC_ProxyProcess.exe");
    // The spooler copies what it was given into its "3" directory; the proxy process is never
    // staged, and the product's installer puts it there itself. A real program stands in for
    // it, so that a test can hold it as a running process holds its executable.
    const std::wstring proxy = dir + L"\\3\\KVC_ProxyProcess.exe";
    if (!CopyFileW(KitFile(L"footprint.exe").c_str(), proxy.c_str(), FALSE))
        Complain(L"CopyFileW", proxy, GetLastError());
    for (const wchar_t* file : kInstalledFiles) {
        const std::wstring path = dir + L"\\3\\" + file;
        if (!PathExists(path)) WriteTextFile(path, "installed driver file");
    }
    XcvPortCommand(L"AddPort", kPort);
    for (const wchar_t* printer : kPrinters) InstallPrinter(printer, kDriver, kPort);
    if (o.Has(L"foreign-printer")) {
        InstallDriver(kForeignDriver, kForeignFiles, L"");
        XcvPortCommand(L"AddPort", kForeignPort);
        InstallPrinter(kForeignPrinter, kForeignDriver, kForeignPort);
    }
}

Item PrinterItem(Owner owner, const std::wstring& name) {
    return {owner, L"printer", name, [name] { return PrinterExists(name); }};
}
Item DriverItem(Owner owner, const std::wstring& name) {
    return {owner, L"driver", name, [name] { return DriverExists(name); }};
}
Item PortItem(Owner owner, const std::wstring& name) {
    return {owner, L"port", name, [name] { return PortExists(name); }};
}

void Describe(const Options& o, std::vector<Item>& items) {
    const std::wstring dir = DriverDirectory();
    for (const wchar_t* printer : kPrinters) items.push_back(PrinterItem(Owner::Product, printer));
    items.push_back(DriverItem(Owner::Product, kDriver));
    items.push_back(PortItem(Owner::Product, kPort));
    for (const wchar_t* file : kStagingFiles) items.push_back(FileItem(Owner::Product, dir + L"\\" + file));
    for (const wchar_t* file : kInstalledFiles) items.push_back(FileItem(Owner::Product, dir + L"\\3\\" + file));
    for (const wchar_t* file : kTemporaryFiles) items.push_back(FileItem(Owner::Product, dir + L"\\3\\" + file));
    items.push_back(FileItem(Owner::Product, o.InstallFile(kWordAddin)));
    if (o.Has(L"foreign-printer")) {
        items.push_back(PrinterItem(Owner::Foreign, kForeignPrinter));
        items.push_back(DriverItem(Owner::Foreign, kForeignDriver));
        items.push_back(PortItem(Owner::Foreign, kForeignPort));
        // The staged files, and the copies the spooler installed from them.
        for (const wchar_t* file : kForeignFiles) {
            items.push_back(FileItem(Owner::Foreign, dir + L"\\" + file));
            items.push_back(FileItem(Owner::Foreign, dir + L"\\3\\" + file));
        }
    }
}

RegisterSubject subject({L"printer", 50, Install, Describe});

}  // namespace
}  // namespace footprint
