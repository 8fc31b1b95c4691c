#include "platform/sim/faults.h"

#include "platform/sim/machine.h"

namespace sim {

namespace {

// True when the call is counted (not one the simulation makes itself).
bool Count(const char* function, bool canFail) {
    FaultPlan& plan = machine().faults;
    if (plan.systemCallsNext) {
        plan.systemCallsNext = false;
        return false;
    }
    ++plan.count;
    if (plan.tracing) plan.trace.push_back({function, canFail});
    if (plan.limit && plan.count > plan.limit && !plan.runaway) {
        plan.runaway = true;
        throw RunawayRun{};
    }
    return true;
}

}  // namespace

bool FaultPoint(const char* function) {
    FaultPlan& plan = machine().faults;
    if (!Count(function, true)) return false;
    const bool byName = !plan.failFunction.empty() && plan.failFunction == function &&
                        ++plan.functionCalls == plan.failOccurrence;
    if (plan.count != plan.failAt && !byName) return false;
    plan.failed = function;
    return true;
}

void CountPoint(const char* function) { Count(function, false); }

void SystemCallsNext() { machine().faults.systemCallsNext = true; }

}  // namespace sim
