#include "platform/spooler.h"

// Our constants, taken before <windows.h> turns their names into macros.
namespace {
constexpr win::DWORD kPrinterAllAccess = win::PRINTER_ALL_ACCESS;
constexpr win::DWORD kServerAccessAdminister = win::SERVER_ACCESS_ADMINISTER;
constexpr win::DWORD kPrinterEnumLocal = win::PRINTER_ENUM_LOCAL;
}  // namespace

#include <windows.h>
#include <winspool.h>

#include <cstddef>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::PRINTER_INFO_2W) == sizeof(::PRINTER_INFO_2W), "printer record size");
static_assert(offsetof(win::PRINTER_INFO_2W, pDriverName) == offsetof(::PRINTER_INFO_2W, pDriverName),
              "printer record: driver name");
static_assert(offsetof(win::PRINTER_INFO_2W, pDevMode) == offsetof(::PRINTER_INFO_2W, pDevMode),
              "printer record: device mode");
static_assert(offsetof(win::PRINTER_INFO_2W, Attributes) == offsetof(::PRINTER_INFO_2W, Attributes),
              "printer record: attributes");
static_assert(offsetof(win::PRINTER_INFO_2W, AveragePPM) == offsetof(::PRINTER_INFO_2W, AveragePPM),
              "printer record: last field");
static_assert(sizeof(win::DRIVER_INFO_1W) == sizeof(::DRIVER_INFO_1W), "driver record");
static_assert(sizeof(win::PRINTER_DEFAULTSW) == sizeof(::PRINTER_DEFAULTSW), "printer defaults record");
static_assert(kPrinterAllAccess == PRINTER_ALL_ACCESS, "printer access");
static_assert(kServerAccessAdminister == SERVER_ACCESS_ADMINISTER, "server access");
static_assert(kPrinterEnumLocal == PRINTER_ENUM_LOCAL, "enumeration flag");

namespace win {

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
    return CALL_SYSTEM_FUNCTION(Winspool, EnumPrintersW, FALSE, flags, W(name), level, buffer, size,
                                reinterpret_cast<::DWORD*>(needed), reinterpret_cast<::DWORD*>(returned));
}
BOOL OpenPrinterW(LPWSTR printerName, HANDLE* printer, PRINTER_DEFAULTSW* defaults) {
    return CALL_SYSTEM_FUNCTION(Winspool, OpenPrinterW, FALSE, W(printerName), reinterpret_cast<::HANDLE*>(printer),
                                reinterpret_cast<::PRINTER_DEFAULTSW*>(defaults));
}
BOOL DeletePrinter(HANDLE printer) {
    return CALL_SYSTEM_FUNCTION(Winspool, DeletePrinter, FALSE, H<::HANDLE>(printer));
}
BOOL ClosePrinter(HANDLE printer) { return CALL_SYSTEM_FUNCTION(Winspool, ClosePrinter, FALSE, H<::HANDLE>(printer)); }
BOOL EnumPrinterDriversW(LPWSTR server, LPWSTR environment, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                         DWORD* returned) {
    return CALL_SYSTEM_FUNCTION(Winspool, EnumPrinterDriversW, FALSE, W(server), W(environment), level, buffer, size,
                                reinterpret_cast<::DWORD*>(needed), reinterpret_cast<::DWORD*>(returned));
}
BOOL DeletePrinterDriverW(LPWSTR server, LPWSTR environment, LPWSTR driverName) {
    return CALL_SYSTEM_FUNCTION(Winspool, DeletePrinterDriverW, FALSE, W(server), W(environment), W(driverName));
}
BOOL GetPrinterDriverDirectoryW(LPWSTR server, LPWSTR environment, DWORD level, BYTE* buffer, DWORD size,
                                DWORD* needed) {
    return CALL_SYSTEM_FUNCTION(Winspool, GetPrinterDriverDirectoryW, FALSE, W(server), W(environment), level, buffer,
                                size, reinterpret_cast<::DWORD*>(needed));
}
BOOL XcvDataW(HANDLE xcv, LPCWSTR dataName, BYTE* input, DWORD inputSize, BYTE* output, DWORD outputSize,
              DWORD* outputNeeded, DWORD* status) {
    return CALL_SYSTEM_FUNCTION(Winspool, XcvDataW, FALSE, H<::HANDLE>(xcv), W(dataName), input, inputSize, output,
                                outputSize, reinterpret_cast<::DWORD*>(outputNeeded),
                                reinterpret_cast<::DWORD*>(status));
}

}  // namespace win
