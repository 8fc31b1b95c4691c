// Print spooler operations (WINSPOOL): printers, printer drivers and the local port monitor.
#pragma once
#include "platform/types.h"

namespace win {

struct DEVMODEW;  // never looked into

struct PRINTER_DEFAULTSW {
    LPWSTR pDatatype;
    DEVMODEW* pDevMode;
    DWORD DesiredAccess;
};

struct PRINTER_INFO_2W {
    LPWSTR pServerName;
    LPWSTR pPrinterName;
    LPWSTR pShareName;
    LPWSTR pPortName;
    LPWSTR pDriverName;
    LPWSTR pComment;
    LPWSTR pLocation;
    DEVMODEW* pDevMode;
    LPWSTR pSepFile;
    LPWSTR pPrintProcessor;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    void* pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};

struct DRIVER_INFO_1W {
    LPWSTR pName;
};

constexpr DWORD PRINTER_ENUM_LOCAL = 0x2;
constexpr DWORD SERVER_ACCESS_ADMINISTER = 0x1;
constexpr DWORD PRINTER_ALL_ACCESS = 0xF000C;  // standard rights required, administer and use

constexpr DWORD ERROR_INVALID_ENVIRONMENT = 1805;

// The printer environments of the drivers the program looks after.
inline constexpr char16_t kEnvironmentX86[] = u"Windows NT x86";
inline constexpr char16_t kEnvironmentX64[] = u"Windows x64";

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned);
BOOL OpenPrinterW(LPWSTR printerName, HANDLE* printer, PRINTER_DEFAULTSW* defaults);
BOOL DeletePrinter(HANDLE printer);
BOOL ClosePrinter(HANDLE printer);
BOOL EnumPrinterDriversW(LPWSTR server, LPWSTR environment, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                         DWORD* returned);
BOOL DeletePrinterDriverW(LPWSTR server, LPWSTR environment, LPWSTR driverName);
BOOL GetPrinterDriverDirectoryW(LPWSTR server, LPWSTR environment, DWORD level, BYTE* buffer, DWORD size,
                                DWORD* needed);
BOOL XcvDataW(HANDLE xcv, LPCWSTR dataName, BYTE* input, DWORD inputSize, BYTE* output, DWORD outputSize,
              DWORD* outputNeeded, DWORD* status);

}  // namespace win
