// A whole silent run of the temporary copy (or, with its command line, of the installed copy
// handing over to it) with another process beside it, played by a watcher
// that sees every logged call before the call acts: what the installer heard, and whether the
// run came to its end.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "platform/sim/machine.h"

namespace testing_support {

struct WatchedRun {
    bool runaway = false;
    std::vector<std::string> codes;  // every report written to the installer's pipe
};

inline WatchedRun RunSilentCopyWatched(const std::function<void(const std::string&, const std::string&)>& watcher,
                                       const char16_t* commandLine = u"-DeletingNow-UninstForInst-InstallerPid=4242") {
    sim::Machine& m = sim::machine();
    m.onCall = watcher;
    m.faults = sim::FaultPlan{};
    m.faults.limit = 200000;
    WatchedRun result;
    try {
        app::UninstallApp app;
        app.SetCommandLine(commandLine);
        app.InitInstance();
    } catch (const sim::RunawayRun&) {
        result.runaway = true;
    }
    m.onCall = nullptr;
    m.faults.limit = 0;
    for (const auto& write : m.CallsTo("WriteFile"))
        if (write.compare(0, 5, "pipe ") == 0) result.codes.push_back(write.substr(5));
    return result;
}

}  // namespace testing_support
