#include "engine/printer/printer_records.h"

#include "engine/files/path.h"
#include "engine/registry/read_registry_string.h"
#include "engine/removal_report.h"
#include "platform/registry.h"
#include "platform/scoped.h"
#include "platform/spooler.h"
#include "platform/system.h"

namespace engine::printer {
namespace {

// Where the spooler keeps its printers and drivers, and the local port monitor its ports. Both
// are below HKEY_LOCAL_MACHINE and nowhere else: the user's own lists of printers (HKCU "Devices",
// "PrinterPorts") are the user's to write, and could hide a printer of the machine's.
constexpr char16_t kPrintKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print";
constexpr char16_t kPrintersKey[] = u"Printers";
constexpr char16_t kEnvironmentsKey[] = u"Environments\\";
constexpr char16_t kDriversKey[] = u"\\Drivers";
constexpr char16_t kPortsKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr char16_t kPrinterDriverValue[] = u"Printer Driver";

constexpr win::REGSAM kReadAccess = win::KEY_QUERY_VALUE | win::KEY_ENUMERATE_SUB_KEYS | win::KEY_WOW64_64KEY;
constexpr win::DWORD kLongestKeyName = 256;  // 255 characters and the terminator
constexpr win::DWORD kDriverValueBytes = (win::MAX_PATH - 1) * sizeof(char16_t);

enum class Look { Absent, Present, Unreadable };

Look Verdict(win::LONG status) {
    if (status == static_cast<win::LONG>(win::ERROR_SUCCESS)) return Look::Present;
    return IsAbsence(static_cast<win::DWORD>(status)) ? Look::Absent : Look::Unreadable;
}

Look OpenForReading(win::HKEY parent, const std::u16string& path, win::ScopedKey& key) {
    return Verdict(win::RegOpenKeyExW(parent, path.c_str(), 0, kReadAccess, key.put()));
}

// Calls `visit` with the name of every subkey of `key` while it answers Absent; the first other
// answer ends the walk and is the result. A list that cannot be read to its end is Unreadable.
template <typename Visit>
Look ForEachSubkey(win::HKEY key, Visit visit) {
    for (win::DWORD index = 0;; ++index) {
        char16_t name[kLongestKeyName] = {};
        win::DWORD length = kLongestKeyName;
        const win::LONG status = win::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == static_cast<win::LONG>(win::ERROR_NO_MORE_ITEMS)) return Look::Absent;
        if (status != static_cast<win::LONG>(win::ERROR_SUCCESS) || length >= kLongestKeyName) return Look::Unreadable;
        const Look look = visit(std::u16string(name, length));
        if (look != Look::Absent) return look;
    }
}

// A printer whose "Printer Driver" names the driver. A name too long for the buffer is not the
// driver's, whose name is short.
Look PrinterOnDriver(win::HKEY printers, const std::u16string& printer, const char16_t* driverName) {
    win::ScopedKey key;
    const Look opened = OpenForReading(printers, printer, key);
    if (opened != Look::Present) return opened;
    std::u16string driver;
    registry::StringValueRead read;
    if (registry::QueryRegistryString(key.get(), kPrinterDriverValue, kDriverValueBytes, driver, &read))
        return files::EqualNoCaseAscii(driver, driverName) ? Look::Present : Look::Absent;
    // Read, but no text of a driver's: no string, empty, or too long (grown since it was measured).
    if (read.status == static_cast<win::LONG>(win::ERROR_SUCCESS) ||
        read.status == static_cast<win::LONG>(win::ERROR_MORE_DATA))
        return Look::Absent;
    return Verdict(read.status);
}

Look Printers(win::HKEY print, const char16_t* driverName) {
    win::ScopedKey printers;
    const Look opened = OpenForReading(print, kPrintersKey, printers);
    if (opened != Look::Present) return opened;
    return ForEachSubkey(printers.get(), [&](const std::u16string& printer) {
        return PrinterOnDriver(printers.get(), printer, driverName);
    });
}

// The driver under any of its versions ("Version-3", "Version-4", ...).
Look Driver(win::HKEY print, const char16_t* environment, const char16_t* driverName) {
    win::ScopedKey drivers;
    const Look opened = OpenForReading(print, kEnvironmentsKey + std::u16string(environment) + kDriversKey, drivers);
    if (opened != Look::Present) return opened;
    return ForEachSubkey(drivers.get(), [&](const std::u16string& version) {
        win::ScopedKey driver;
        return OpenForReading(drivers.get(), version + u"\\" + driverName, driver);
    });
}

Look Port(const char16_t* portName) {
    win::ScopedKey ports;
    // Every Windows has its serial and parallel ports here: a missing list is not an empty one.
    if (OpenForReading(win::HKEY_LOCAL_MACHINE, kPortsKey, ports) != Look::Present) return Look::Unreadable;
    return Verdict(win::RegQueryValueExW(ports.get(), portName, nullptr, nullptr, nullptr, nullptr));
}

}  // namespace

RecordedPrinter ReadPrinterRecords(const char16_t* environment, const char16_t* driverName, const char16_t* portName) {
    win::ScopedKey print;
    if (OpenForReading(win::HKEY_LOCAL_MACHINE, kPrintKey, print) != Look::Present) return RecordedPrinter::Unreadable;
    bool unreadable = false;
    // The first record found settles it; one that cannot be read only once nothing else is found.
    const auto found = [&unreadable](Look look) {
        unreadable = unreadable || look == Look::Unreadable;
        return look == Look::Present;
    };
    if (found(Printers(print.get(), driverName)) || found(Driver(print.get(), environment, driverName)) ||
        found(Port(portName)))
        return RecordedPrinter::Something;
    return unreadable ? RecordedPrinter::Unreadable : RecordedPrinter::Nothing;
}

std::u16string SpoolerDriverDirectory(const char16_t* environment) {
    const std::u16string name = environment;
    const char16_t* subdirectory = name == win::kEnvironmentX64   ? u"x64"
                                   : name == win::kEnvironmentX86 ? u"W32X86"
                                                                  : nullptr;
    char16_t buffer[win::MAX_PATH] = {};
    const std::u16string system = files::FittedPath(buffer, win::GetSystemDirectoryW(buffer, win::MAX_PATH));
    if (!subdirectory || system.empty()) return {};
    return files::JoinPath(files::WithoutTrailingBackslash(system), u"spool\\drivers\\" + std::u16string(subdirectory));
}

}  // namespace engine::printer
