// The simulated print spooler: printers with their drivers and ports, drivers per environment,
// the local port monitor's ports, and objects that are busy for a number of attempts.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/spooler.h"

namespace sim {

struct SimPrinter {
    std::u16string name;
    std::u16string driver;
    std::u16string port;
    int failOpens = 0;    // opens that fail before one succeeds; -1: every open fails
    int failDeletes = 0;  // deletions that fail before one succeeds; -1: every one fails
    // A deleted printer stays, pending deletion and still using its driver, while a handle is
    // open on it (the deleter's own included) or a job waits in its queue.
    bool pendingDeletion = false;
    int jobs = 0;          // jobs in the queue
    int otherHandles = 0;  // handles other processes hold
};

struct SimDriver {
    std::u16string name;
    std::u16string environment = win::kEnvironmentX86;
    int failDeletes = 0;  // deletions that fail as "in use" before one succeeds; -1: always
};

struct SpoolerObject {
    bool monitor = false;  // the local port monitor, opened for its commands
    std::u16string printer;
};

struct XcvCommand {
    std::u16string command;
    std::u16string input;  // the input data read as UTF-16 text up to its terminator
    win::DWORD inputSize = 0;
};

struct SpoolerState {
    std::vector<SimPrinter> printers;  // in enumeration order
    std::vector<SimDriver> drivers;
    std::vector<std::u16string> ports;  // the local port monitor's ports
    std::map<std::u16string, std::u16string> driverDirectories{
        {win::kEnvironmentX86, u"C:\\windows\\system32\\spool\\drivers\\w32x86"},
        {win::kEnvironmentX64, u"C:\\windows\\system32\\spool\\drivers\\x64"},
    };

    bool enumerationFails = false;         // both calls fail
    bool filledEnumerationFails = false;   // the call with a buffer fails (a printer was added meanwhile)
    bool driverDirectoryFails = false;
    bool monitorOpenFails = false;
    // The error for deleting a driver that is not installed; Wine leaves the last error as it was.
    win::DWORD missingDriverError = win::ERROR_UNKNOWN_PRINTER_DRIVER;
    // The port monitor's status for deleting a port it does not know. A port a printer still
    // prints to is answered ERROR_BUSY.
    win::DWORD missingPortStatus = win::ERROR_FILE_NOT_FOUND;

    std::map<win::HANDLE, SpoolerObject> handles;  // open handles
    std::uintptr_t nextHandle = 0x60000;
    int handlesOpened = 0;
    int handlesClosed = 0;
    std::vector<XcvCommand> commands;

    // Test-side helpers.
    void AddDriver(const std::u16string& name, const std::u16string& environment = win::kEnvironmentX86);
    SimPrinter& AddPrinter(const std::u16string& name, const std::u16string& driver, const std::u16string& port);
    SimPrinter* FindPrinter(const std::u16string& name);
    bool HasDriver(const std::u16string& name, const std::u16string& environment) const;
    bool HasPort(const std::u16string& name) const;
    std::vector<std::u16string> PrinterNames() const;
    // The printer's queue prints out; a printer pending deletion then goes.
    void FinishJobs(const std::u16string& printer);
};

// The spooler keeps its printers, drivers and ports in the machine's registry, as Windows' does
// (HKLM "SYSTEM\CurrentControlSet\Control\Print" and the local port monitor's "Ports"). The
// simulation brings those records up to the spooler's state before every registry open, so that
// a test may arrange the spooler any way it likes; keys and values already right are left as
// they are, with whatever a test set on them.
void WriteSpoolerRecords();

}  // namespace sim
