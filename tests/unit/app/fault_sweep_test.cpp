// The fault sweep: a whole silent run, a whole interactive run and the installed copy's hand-over
// through start-up, first as they go on a sound machine, recording every platform call; then
// once per call that can fail, with that one call failing as Windows fails it. Every faulted run
// must end, give back what it opened, change nothing outside the product's footprint, and either
// come to the end of the sequence (every report code in order, the progress bar through all its
// points) or stop before it has removed anything (reporting -1 when it stops on the product's
// records or its executable in use).
//
// FAULT_SWEEP_SAMPLE=N runs N positions per run chosen with FAULT_SWEEP_SEED (default 1)
// instead of all of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "platform/sim/machine.h"
#include "support/full_footprint.h"
#include "support/machine_image.h"

namespace {

using testing_support::Image;

struct Scenario {
    const char* name;
    const char16_t* commandLine;
    bool silent;
    bool installedCopy;  // started from the install directory: for the installer it makes way and runs the removal
    bool quiet = false;  // the administrators' mode: judged by its exit code, no window ever
};

const Scenario kSilentRun{"silent run", u"-DeletingNow-UninstForInst-InstallerPid=4242", true, false};
const Scenario kInteractiveRun{"interactive run", u"-DeletingNow", false, false};
const Scenario kInstallersRun{"installed copy for the installer", u"-UninstForInst", true, true};
const Scenario kQuietRun{"quiet run", u"-DeletingNow /quiet", false, false, true};

const std::vector<std::string> kAllCodes{"1", "2", "4", "6", "7", "8", "9", "10"};
const std::vector<int> kProgressPoints{10, 20, 40, 60, 70, 80, 90, 100};

struct Images {
    Image before;    // other programs' and the user's things only
    Image laidDown;  // with the product
    Image sound;     // after the run without a fault
};

Images Arrange(const Scenario& scenario) {
    sim::Reset();
    Images images;
    testing_support::LayDownForeignItems();
    images.before = testing_support::TakeImage();
    testing_support::LayDownProduct();
    if (!scenario.installedCopy) testing_support::PlaceTemporaryCopy();
    images.laidDown = testing_support::TakeImage();
    return images;
}

// What a run still holds when it ends: open keys, files, searches, process handles, modules,
// spooler handles, OLE uses, GDI objects and device contexts.
struct Holdings {
    std::vector<long> counts;
    static Holdings Take() {
        sim::Machine& m = sim::machine();
        return {{static_cast<long>(m.registry.OpenHandleCount()), static_cast<long>(sim::OpenFileCount()),
                 static_cast<long>(sim::OpenSearchCount()), m.system.openProcessHandles,
                 m.system.librariesLoaded - m.system.librariesFreed, m.spooler.handlesOpened - m.spooler.handlesClosed,
                 m.system.oleInitializeCalls - m.system.oleUninitializeCalls, static_cast<long>(m.gdi.objects.size()),
                 static_cast<long>(m.gdi.dcs.size())}};
    }
};
const char* const kHoldingNames[] = {"registry keys", "files", "searches", "process handles", "modules",
                                     "spooler handles", "OLE uses", "GDI objects", "device contexts"};

// Calls that give something back: when one of them fails, what it should have given back stays.
bool GivesBack(const std::string& function) {
    for (const char* name : {"RegCloseKey", "CloseHandle", "FindClose", "ClosePrinter", "FreeLibrary", "DeleteObject",
                             "DeleteDC", "DestroyIcon", "DestroyCursor", "DestroyWindow"})
        if (function == name) return true;
    return false;
}

struct RunResult {
    bool runaway = false;
    int modalStalls = 0;
    std::string failed;
    std::vector<sim::TracedCall> trace;
    std::vector<std::string> codes;  // every report tried, in order
    std::vector<int> positions;      // every progress position tried, in order
    bool sequenceEnded = false;
    std::vector<std::string> started;  // command lines of the processes started
    Holdings holdings;
    Image after;
    win::DWORD exitCode = 0;
    std::size_t windowsShown = 0;  // message boxes and windows created
};

// Enough for a faulted hand-over that then runs the whole removal itself; a run past it loops.
std::size_t CallLimit(std::size_t baselineCalls) { return baselineCalls * 4 + 4000; }

RunResult Run(const Scenario& scenario, std::size_t failAt, std::size_t limit, bool tracing) {
    Arrange(scenario);
    sim::FaultPlan& plan = sim::machine().faults;
    plan = sim::FaultPlan{};
    plan.failAt = failAt;
    plan.limit = limit;
    plan.tracing = tracing;
    RunResult result;
    try {
        app::UninstallApp app;
        app.SetCommandLine(scenario.commandLine);
        app.InitInstance();
        result.exitCode = app.ExitCode() & ~app::kCopyRanRemoval;
    } catch (const sim::RunawayRun&) {
        result.runaway = true;
    }
    const bool pipeOpen = sim::InstallerPipeOpen();
    // The self-deletion's signal is the one end of a pipe kept here that no process inherits.
    const bool interpreterWaits = sim::UninheritedPipeEndCount() > 0;
    sim::Machine& m = sim::machine();
    m.faults.limit = 0;
    result.failed = m.faults.failed;
    result.trace = m.faults.trace;
    result.modalStalls = m.windows.modalStalls;
    for (const auto& write : m.CallsTo("WriteFile"))
        if (write.compare(0, 5, "pipe ") == 0) result.codes.push_back(write.substr(5));
    for (const auto& position : m.CallsTo("PBM_SETPOS")) result.positions.push_back(std::stoi(position));
    // The sequence waits its half second only once every step has run.
    const auto& sleeps = m.system.sleeps;
    result.sequenceEnded = std::find(sleeps.begin(), sleeps.end(), 500u) != sleeps.end();
    result.windowsShown = m.windows.boxes.size() + m.windows.windows.size();
    result.holdings = Holdings::Take();
    // A run that stops early leaves the installer's pipe and its event to the end of the process.
    if (pipeOpen) result.holdings.counts[1] -= 2;
    // The write end the interpreter waits on is held until the process ends, by design.
    if (interpreterWaits) result.holdings.counts[1] -= 1;
    for (const auto& process : m.system.processes) result.started.push_back(sim::Narrow(process.commandLine));
    result.after = testing_support::TakeImage();
    return result;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// Changes a run may make beyond the product's own items.
struct Allowance {
    const Images& images;
    const Image& pendingDeletions;
    const std::vector<std::string>& started;
    bool operator()(const std::string& place) const {
        // The temporary copy stays while the process started from it runs.
        if (StartsWith(place, "file ") && place.size() > 4 &&
            std::any_of(started.begin(), started.end(), [&](const std::string& commandLine) {
                return commandLine.find("\"" + place.substr(5) + "\"") != std::string::npos;
            }))
            return true;
        // The log of a run that left something, where the completion box sends the user.
        if (StartsWith(place, "file C:\\Users\\user\\AppData\\Local\\Temp\\Orvik Pendrel Uninstall.log")) return true;
        // The same in the machine's temporary directory, where the user's could not be judged.
        if (StartsWith(place, "file C:\\windows\\Temp\\Orvik Pendrel Uninstall.log")) return true;
        // A driver file the spooler still holds is renamed, so that its name is free for a new
        // installation, and deleted at the next restart under its new name.
        if (StartsWith(place, "pending deletion ")) return !images.before.count("file " + place.substr(17));
        if (StartsWith(place, "file ")) return pendingDeletions.count("pending deletion " + place.substr(5)) != 0;
        return false;
    }
};

bool ContainsInOrder(const std::vector<int>& seen, const std::vector<int>& wanted) {
    std::size_t next = 0;
    for (int value : seen)
        if (next < wanted.size() && value == wanted[next]) ++next;
    return next == wanted.size();
}

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : " ") + item;
    return out;
}

// What is wrong with a run; empty when it behaved.
std::vector<std::string> Judge(const Scenario& scenario, const RunResult& run, const Images& images,
                               std::size_t limit, const Holdings& baseline) {
    std::vector<std::string> problems;
    if (run.runaway) problems.push_back("did not end: more than " + std::to_string(limit) + " calls");
    // A failing call leaves nothing open that the sound run gives back.
    if (!run.runaway && !GivesBack(run.failed))
        for (std::size_t i = 0; i < baseline.counts.size(); ++i)
            if (run.holdings.counts[i] > baseline.counts[i])
                problems.push_back(std::string("left ") + kHoldingNames[i] + " open: " +
                                   std::to_string(run.holdings.counts[i]) + " instead of " +
                                   std::to_string(baseline.counts[i]));
    if (run.modalStalls) problems.push_back("the wizard was left waiting for ever");
    const Allowance allowed{images, run.after, run.started};
    for (const auto& change : testing_support::ChangesOutsideFootprint(images.before, images.laidDown, run.after, allowed))
        problems.push_back(change);

    if (scenario.quiet) {
        // No window ever, and a code that tells the truth: 0 only with nothing of the product
        // left, 3010 only with nothing left but what goes at the restart.
        if (run.windowsShown) problems.push_back("showed " + std::to_string(run.windowsShown) + " windows");
        std::vector<std::string> left;
        // What the run without a fault removes is the product; what of it this run left counts,
        // but the installed uninstaller and the directories that hold it: the installed copy,
        // which waits for this one, deletes them once it ends.
        const std::string installed = "file " + sim::Narrow(testing_support::kInstallDir) + "Uninstall.exe";
        const bool installedLeft = run.after.count(installed) != 0;
        for (const auto& [place, state] : images.laidDown) {
            if (images.sound.count(place) || !run.after.count(place) ||
                run.after.count("pending deletion " + place.substr(place.find(' ') + 1)))
                continue;
            if (installedLeft && installed.compare(0, place.size(), place) == 0) continue;
            left.push_back(place);
        }
        const win::DWORD code = run.exitCode;
        if ((code == 0 || code == 3010) && !left.empty())
            problems.push_back("ended with " + std::to_string(code) + " but left " + left.front() + " and " +
                               std::to_string(left.size() - 1) + " more");
        if (code != 0 && code != 3010 && code != 1603 && code != 1605 && code != 1618)
            problems.push_back("ended with " + std::to_string(code));
        return problems;
    }

    std::vector<std::string> removed = testing_support::Removed(images.laidDown, run.after);
    // A wizard that cannot be created ends the run after the in-use check has deleted the
    // product's executable, and keeps everything else for the next attempt.
    if (!scenario.silent && run.failed == "DialogBoxParamW")
        removed.erase(std::remove(removed.begin(), removed.end(), "file " + sim::Narrow(testing_support::kProductExe)),
                      removed.end());

    // The installed copy that could not make way hands the run to a temporary copy, which reports
    // and removes: it does neither.
    if (scenario.silent) {
        if (run.codes == kAllCodes) return problems;
        if (!run.codes.empty() && run.codes != std::vector<std::string>{"-1"})
            problems.push_back("reported " + Join(run.codes));
    } else if (run.sequenceEnded) {
        if (!run.positions.empty() && !ContainsInOrder(run.positions, kProgressPoints))
            problems.push_back("progress skipped a point");
        return problems;
    }
    if (!removed.empty())
        problems.push_back("stopped after removing " + removed.front() + " and " +
                           std::to_string(removed.size() - 1) + " more");
    return problems;
}

std::vector<std::size_t> PositionsToCover(const std::vector<sim::TracedCall>& trace) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < trace.size(); ++i)
        if (trace[i].canFail) positions.push_back(i + 1);
    if (const char* sample = std::getenv("FAULT_SWEEP_SAMPLE")) {
        const std::size_t wanted = static_cast<std::size_t>(std::strtoul(sample, nullptr, 10));
        const char* seed = std::getenv("FAULT_SWEEP_SEED");
        std::mt19937 random(seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 1u);
        std::shuffle(positions.begin(), positions.end(), random);
        if (wanted < positions.size()) positions.resize(wanted);
        std::sort(positions.begin(), positions.end());
    }
    return positions;
}

void Sweep(const Scenario& scenario) {
    const RunResult baseline = Run(scenario, 0, 0, true);
    Images images = Arrange(scenario);
    images.sound = baseline.after;
    const std::size_t limit = CallLimit(baseline.trace.size());
    const auto baselineProblems = Judge(scenario, baseline, images, limit, baseline.holdings);
    ASSERT_TRUE(baselineProblems.empty()) << Join(baselineProblems);
    if (scenario.quiet)
        ASSERT_EQ(baseline.exitCode, 0u);
    else if (scenario.silent)
        ASSERT_EQ(baseline.codes, kAllCodes);
    else
        ASSERT_TRUE(baseline.sequenceEnded && ContainsInOrder(baseline.positions, kProgressPoints));
    // The installed copy runs the installer's removal itself: no copy is started.
    if (scenario.installedCopy) {
        ASSERT_EQ(std::count_if(baseline.started.begin(), baseline.started.end(),
                                [](const std::string& line) { return line.find("\"-DeletingNow") != std::string::npos; }),
                  0);
    }

    std::size_t failable = 0;
    for (const auto& call : baseline.trace) failable += call.canFail;
    const std::vector<std::size_t> positions = PositionsToCover(baseline.trace);
    std::size_t covered = 0;
    std::vector<std::string> failures;
    for (std::size_t position : positions) {
        const RunResult run = Run(scenario, position, limit, false);
        ++covered;
        const std::string call = baseline.trace[position - 1].function;
        if (run.failed != call) {
            failures.push_back("position " + std::to_string(position) + " (" + call + "): the run took another way to it (" +
                               (run.failed.empty() ? "no call failed" : run.failed) + ")");
            continue;
        }
        for (const auto& problem : Judge(scenario, run, images, limit, baseline.holdings))
            failures.push_back("position " + std::to_string(position) + " (" + call + "): " + problem);
    }
    const char* seed = std::getenv("FAULT_SWEEP_SAMPLE") ? std::getenv("FAULT_SWEEP_SEED") : nullptr;
    std::printf("fault sweep, %s: positions covered %zu / %zu (%zu calls, %zu of them cannot fail%s%s), %s\n",
                scenario.name, covered, failable, baseline.trace.size(), baseline.trace.size() - failable,
                seed ? "; sample seed " : "", seed ? seed : "", failures.empty() ? "all passing" : "FAILING");
    for (std::size_t i = 0; i < failures.size() && i < 40; ++i) ADD_FAILURE() << failures[i];
    EXPECT_TRUE(failures.empty()) << failures.size() << " faulted runs misbehaved";
}

TEST(FaultSweep, SilentRunWithEveryCallFailingInTurn) { Sweep(kSilentRun); }

TEST(FaultSweep, InteractiveRunWithEveryCallFailingInTurn) { Sweep(kInteractiveRun); }

TEST(FaultSweep, InstallersRunFromTheInstalledCopyWithEveryCallFailingInTurn) { Sweep(kInstallersRun); }

TEST(FaultSweep, QuietRunWithEveryCallFailingInTurnEndsWithAnHonestCode) { Sweep(kQuietRun); }

}  // namespace
