// Simulated WINSPOOL calls.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/spooler.h"
#include "platform/system.h"

namespace sim {

void SpoolerState::AddDriver(const std::u16string& name, const std::u16string& environment) {
    SimDriver driver;
    driver.name = name;
    driver.environment = environment;
    drivers.push_back(driver);
}

SimPrinter& SpoolerState::AddPrinter(const std::u16string& name, const std::u16string& driver,
                                     const std::u16string& port) {
    SimPrinter printer;
    printer.name = name;
    printer.driver = driver;
    printer.port = port;
    printers.push_back(printer);
    return printers.back();
}

SimPrinter* SpoolerState::FindPrinter(const std::u16string& name) {
    for (auto& p : printers)
        if (EqualNoCase(p.name, name)) return &p;
    return nullptr;
}

bool SpoolerState::HasDriver(const std::u16string& name, const std::u16string& environment) const {
    return std::any_of(drivers.begin(), drivers.end(), [&](const SimDriver& d) {
        return EqualNoCase(d.name, name) && EqualNoCase(d.environment, environment);
    });
}

bool SpoolerState::HasPort(const std::u16string& name) const {
    return std::any_of(ports.begin(), ports.end(), [&](const std::u16string& p) { return EqualNoCase(p, name); });
}

std::vector<std::u16string> SpoolerState::PrinterNames() const {
    std::vector<std::u16string> names;
    for (const auto& p : printers) names.push_back(p.name);
    return names;
}

namespace {

SpoolerState& Spooler() { return machine().spooler; }

bool Fail(win::DWORD error) {
    win::SetLastError(error);
    return false;
}

// The environment a null environment stands for: the caller's own.
std::u16string CallerEnvironment() {
    return win::IsProcess64Bit() ? win::kEnvironmentX64 : win::kEnvironmentX86;
}

// Takes one attempt from a busy counter; true while the object is still busy.
bool StillBusy(int& failures) {
    if (failures == 0) return false;
    if (failures > 0) --failures;
    return true;
}

// A printer pending deletion goes once no handle and no job holds it any more.
void RemoveIfDeletedAndFree(const std::u16string& name) {
    auto& s = Spooler();
    SimPrinter* p = s.FindPrinter(name);
    if (!p || !p->pendingDeletion || p->jobs > 0 || p->otherHandles > 0) return;
    for (const auto& [handle, object] : s.handles)
        if (!object.monitor && EqualNoCase(object.printer, name)) return;
    s.printers.erase(s.printers.begin() + (p - s.printers.data()));
}

win::HANDLE NewHandle(const SpoolerObject& object) {
    auto handle = reinterpret_cast<win::HANDLE>(Spooler().nextHandle++);
    Spooler().handles[handle] = object;
    Spooler().handlesOpened++;
    return handle;
}

void DeletePort(const std::u16string& port, win::DWORD* status) {
    auto& s = Spooler();
    auto it = std::find_if(s.ports.begin(), s.ports.end(), [&](const std::u16string& p) { return EqualNoCase(p, port); });
    bool used = std::any_of(s.printers.begin(), s.printers.end(),
                            [&](const SimPrinter& p) { return EqualNoCase(p.port, port); });
    win::DWORD result = win::ERROR_SUCCESS;
    if (it == s.ports.end()) result = s.missingPortStatus;
    else if (used) result = win::ERROR_BUSY;
    else s.ports.erase(it);
    if (status) *status = result;
}

}  // namespace

void SpoolerState::FinishJobs(const std::u16string& printer) {
    if (SimPrinter* p = FindPrinter(printer)) p->jobs = 0;
    RemoveIfDeletedAndFree(printer);
}

namespace {

constexpr char16_t kPrintersKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr char16_t kEnvironmentsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\";
constexpr char16_t kPortsKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

// Removes every subkey of `key` that `wanted` does not name.
template <typename Wanted>
void RemoveSubkeysExcept(RegKey& key, Wanted wanted) {
    std::vector<RegKey*> stale;
    for (const auto& subkey : key.subkeys)
        if (!wanted(subkey->name)) stale.push_back(subkey.get());
    for (RegKey* subkey : stale) machine().registry.Remove(*subkey);
}

void SetIfDifferent(const std::u16string& path, const std::u16string& name, const std::u16string& value) {
    if (machine().registry.GetString(win::HKEY_LOCAL_MACHINE, path, name) != value)
        machine().registry.SetString(win::HKEY_LOCAL_MACHINE, path, name, value);
}

}  // namespace

void WriteSpoolerRecords() {
    RegistryState& r = machine().registry;
    SpoolerState& s = Spooler();
    const win::HKEY machineRoot = win::HKEY_LOCAL_MACHINE;

    RemoveSubkeysExcept(r.Create(machineRoot, kPrintersKey),
                        [&](const std::u16string& name) { return s.FindPrinter(name) != nullptr; });
    for (const SimPrinter& printer : s.printers) {
        const std::u16string key = std::u16string(kPrintersKey) + u"\\" + printer.name;
        SetIfDifferent(key, u"Name", printer.name);
        SetIfDifferent(key, u"Printer Driver", printer.driver);
        SetIfDifferent(key, u"Port", printer.port);
    }

    for (const auto& [environment, directory] : s.driverDirectories) {
        const std::u16string versionKey = kEnvironmentsKey + environment + u"\\Drivers\\Version-3";
        RemoveSubkeysExcept(r.Create(machineRoot, versionKey),
                            [&, env = environment](const std::u16string& name) { return s.HasDriver(name, env); });
        for (const SimDriver& driver : s.drivers)
            if (EqualNoCase(driver.environment, environment)) r.Create(machineRoot, versionKey + u"\\" + driver.name);
    }

    RegKey& ports = r.Create(machineRoot, kPortsKey);
    ports.values.erase(std::remove_if(ports.values.begin(), ports.values.end(),
                                      [&](const RegValue& value) { return !s.HasPort(value.name); }),
                       ports.values.end());
    for (const std::u16string& port : s.ports)
        if (!ports.Value(port)) r.SetString(machineRoot, kPortsKey, port, u"");
}

}  // namespace sim

namespace win {

using sim::machine;

BOOL EnumPrintersW(DWORD flags, LPWSTR, DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
    if (sim::FaultPoint("EnumPrintersW")) {
        if (needed) *needed = 0;
        if (returned) *returned = 0;
        return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    }
    machine().Log("EnumPrintersW", buffer ? "filled" : "sizing");
    auto& s = sim::Spooler();
    if (needed) *needed = 0;
    if (returned) *returned = 0;
    if (s.enumerationFails || level != 2 || !(flags & PRINTER_ENUM_LOCAL)) return sim::Fail(ERROR_INVALID_PARAMETER);
    std::size_t strings = 0;
    for (const auto& p : s.printers) strings += (p.name.size() + p.driver.size() + p.port.size() + 3) * sizeof(char16_t);
    std::size_t total = s.printers.size() * sizeof(PRINTER_INFO_2W) + strings;
    if (needed) *needed = static_cast<DWORD>(total);
    if (size < total || (!buffer && total > 0) || (s.filledEnumerationFails && buffer)) return sim::Fail(ERROR_INSUFFICIENT_BUFFER);
    if (total == 0) return TRUE;
    std::memset(buffer, 0, total);
    auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer);
    auto* text = reinterpret_cast<char16_t*>(buffer + s.printers.size() * sizeof(PRINTER_INFO_2W));
    auto put = [&](const std::u16string& value) {
        char16_t* start = text;
        std::copy(value.begin(), value.end(), text);
        text += value.size();
        *text++ = 0;
        return start;
    };
    for (std::size_t i = 0; i < s.printers.size(); ++i) {
        records[i].pPrinterName = put(s.printers[i].name);
        records[i].pDriverName = put(s.printers[i].driver);
        records[i].pPortName = put(s.printers[i].port);
    }
    if (returned) *returned = static_cast<DWORD>(s.printers.size());
    return TRUE;
}

BOOL OpenPrinterW(LPWSTR printerName, HANDLE* printer, PRINTER_DEFAULTSW*) {
    if (sim::FaultPoint("OpenPrinterW")) {
        *printer = nullptr;
        return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    }
    const std::u16string name = sim::FromPtr(printerName);
    machine().Log("OpenPrinterW", sim::Narrow(name));
    auto& s = sim::Spooler();
    *printer = nullptr;
    if (name == u", XcvMonitor Local Port") {
        if (s.monitorOpenFails) return sim::Fail(ERROR_ACCESS_DENIED);
        *printer = sim::NewHandle({true, {}});
        return TRUE;
    }
    sim::SimPrinter* p = s.FindPrinter(name);
    if (!p) return sim::Fail(ERROR_INVALID_PRINTER_NAME);
    if (sim::StillBusy(p->failOpens)) return sim::Fail(ERROR_ACCESS_DENIED);
    *printer = sim::NewHandle({false, p->name});
    return TRUE;
}

BOOL DeletePrinter(HANDLE printer) {
    if (sim::FaultPoint("DeletePrinter")) return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    auto& s = sim::Spooler();
    auto it = s.handles.find(printer);
    if (it == s.handles.end() || it->second.monitor) return sim::Fail(ERROR_INVALID_HANDLE);
    machine().Log("DeletePrinter", sim::Narrow(it->second.printer));
    sim::SimPrinter* p = s.FindPrinter(it->second.printer);
    if (!p) return sim::Fail(ERROR_INVALID_PRINTER_NAME);
    if (sim::StillBusy(p->failDeletes)) return sim::Fail(ERROR_ACCESS_DENIED);
    // The spooler takes the printer away once nothing holds it any more.
    p->pendingDeletion = true;
    sim::RemoveIfDeletedAndFree(p->name);
    return TRUE;
}

BOOL ClosePrinter(HANDLE printer) {
    if (sim::FaultPoint("ClosePrinter")) return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    auto& s = sim::Spooler();
    auto it = s.handles.find(printer);
    if (it == s.handles.end()) return sim::Fail(ERROR_INVALID_HANDLE);
    const std::u16string name = it->second.monitor ? std::u16string() : it->second.printer;
    s.handles.erase(it);
    s.handlesClosed++;
    if (!name.empty()) sim::RemoveIfDeletedAndFree(name);
    return TRUE;
}

BOOL EnumPrinterDriversW(LPWSTR, LPWSTR environment, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                         DWORD* returned) {
    if (sim::FaultPoint("EnumPrinterDriversW")) {
        if (needed) *needed = 0;
        if (returned) *returned = 0;
        return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    }
    const std::u16string env = environment ? sim::FromPtr(environment) : sim::CallerEnvironment();
    machine().Log("EnumPrinterDriversW", sim::Narrow(env));
    auto& s = sim::Spooler();
    if (needed) *needed = 0;
    if (returned) *returned = 0;
    if (level != 1) return sim::Fail(ERROR_INVALID_PARAMETER);
    if (!s.driverDirectories.count(env)) return sim::Fail(ERROR_INVALID_ENVIRONMENT);
    std::vector<const sim::SimDriver*> listed;
    std::size_t total = 0;
    for (const auto& d : s.drivers) {
        if (!sim::EqualNoCase(d.environment, env)) continue;
        listed.push_back(&d);
        total += sizeof(DRIVER_INFO_1W) + (d.name.size() + 1) * sizeof(char16_t);
    }
    if (needed) *needed = static_cast<DWORD>(total);
    if (size < total || (!buffer && total > 0)) return sim::Fail(ERROR_INSUFFICIENT_BUFFER);
    if (total == 0) return TRUE;
    auto* records = reinterpret_cast<DRIVER_INFO_1W*>(buffer);
    auto* text = reinterpret_cast<char16_t*>(buffer + listed.size() * sizeof(DRIVER_INFO_1W));
    for (std::size_t i = 0; i < listed.size(); ++i) {
        records[i].pName = text;
        text = std::copy(listed[i]->name.begin(), listed[i]->name.end(), text);
        *text++ = 0;
    }
    if (returned) *returned = static_cast<DWORD>(listed.size());
    return TRUE;
}

BOOL DeletePrinterDriverW(LPWSTR, LPWSTR environment, LPWSTR driverName) {
    if (sim::FaultPoint("DeletePrinterDriverW")) return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    const std::u16string env = environment ? sim::FromPtr(environment) : sim::CallerEnvironment();
    const std::u16string name = sim::FromPtr(driverName);
    machine().Log("DeletePrinterDriverW", sim::Narrow(env) + "|" + sim::Narrow(name));
    auto& s = sim::Spooler();
    if (!s.driverDirectories.count(env)) return sim::Fail(ERROR_INVALID_ENVIRONMENT);
    auto it = std::find_if(s.drivers.begin(), s.drivers.end(), [&](const sim::SimDriver& d) {
        return sim::EqualNoCase(d.name, name) && sim::EqualNoCase(d.environment, env);
    });
    if (it == s.drivers.end()) return sim::Fail(s.missingDriverError);
    bool used = std::any_of(s.printers.begin(), s.printers.end(),
                            [&](const sim::SimPrinter& p) { return sim::EqualNoCase(p.driver, name); });
    if (used || sim::StillBusy(it->failDeletes)) return sim::Fail(ERROR_PRINTER_DRIVER_IN_USE);
    s.drivers.erase(it);
    return TRUE;
}

BOOL GetPrinterDriverDirectoryW(LPWSTR, LPWSTR environment, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
    if (sim::FaultPoint("GetPrinterDriverDirectoryW")) return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    const std::u16string env = environment ? sim::FromPtr(environment) : sim::CallerEnvironment();
    machine().Log("GetPrinterDriverDirectoryW", sim::Narrow(env));
    auto& s = sim::Spooler();
    if (s.driverDirectoryFails) return sim::Fail(ERROR_ACCESS_DENIED);
    if (level != 1) return sim::Fail(ERROR_INVALID_PARAMETER);
    auto it = s.driverDirectories.find(env);
    if (it == s.driverDirectories.end()) return sim::Fail(ERROR_INVALID_ENVIRONMENT);
    const std::u16string& dir = it->second;
    DWORD bytes = static_cast<DWORD>((dir.size() + 1) * sizeof(char16_t));
    if (needed) *needed = bytes;
    if (!buffer || size < bytes) return sim::Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, dir.c_str(), bytes);
    return TRUE;
}

BOOL XcvDataW(HANDLE xcv, LPCWSTR dataName, BYTE* input, DWORD inputSize, BYTE*, DWORD, DWORD* outputNeeded,
              DWORD* status) {
    if (sim::FaultPoint("XcvDataW")) return sim::Failure(BOOL{FALSE}, sim::kRpcServerUnavailable);
    auto& s = sim::Spooler();
    auto it = s.handles.find(xcv);
    if (it == s.handles.end() || !it->second.monitor) return sim::Fail(ERROR_INVALID_HANDLE);
    sim::XcvCommand command;
    command.command = sim::FromPtr(dataName);
    command.inputSize = inputSize;
    if (input) {
        const auto* text = reinterpret_cast<const char16_t*>(input);
        for (DWORD i = 0; i + 1 < inputSize && text[i / 2] != 0; i += 2) command.input += text[i / 2];
    }
    machine().Log("XcvDataW", sim::Narrow(command.command) + " " + sim::Narrow(command.input));
    s.commands.push_back(command);
    if (outputNeeded) *outputNeeded = 0;
    if (command.command == u"DeletePort") {
        sim::DeletePort(command.input, status);
    } else if (command.command == u"AddPort") {
        if (!s.HasPort(command.input)) s.ports.push_back(command.input);
        if (status) *status = ERROR_SUCCESS;
    } else if (status) {
        *status = ERROR_INVALID_FUNCTION;
    }
    return TRUE;
}

}  // namespace win
