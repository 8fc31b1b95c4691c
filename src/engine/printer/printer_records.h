// What the machine's own records say of the product's printer, read without the spooler. The
// spooler keeps every printer, driver and port of the local machine in the machine's registry
// (which only administrators and the spooler itself write); loading its libraries and starting
// its connection costs more than the rest of a silent uninstall's steps together, so the printer
// step asks it only when these records show something of the product's, or cannot be read.
#pragma once
#include <string>

namespace engine::printer {

enum class RecordedPrinter {
    Nothing,     // no printer on the product's driver, no such driver, no such port
    Something,   // at least one of them
    Unreadable,  // the records could not be read as expected: only the spooler can tell
};

// Looks for a printer whose driver is `driverName`, the driver `driverName` in `environment`
// (any driver version), and the local port `portName`.
RecordedPrinter ReadPrinterRecords(const char16_t* environment, const char16_t* driverName, const char16_t* portName);

// The directory the spooler keeps the drivers of `environment` in, found the way it finds it (the
// system directory's "spool\drivers" and the environment's own subdirectory); empty when the
// system directory is not known or the environment is not one the program looks after.
std::u16string SpoolerDriverDirectory(const char16_t* environment);

}  // namespace engine::printer
