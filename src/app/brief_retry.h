// What another process holds for a moment (a virus scanner looking at a new file, the system
// letting go of an ended process's image) is tried again: a bounded number of times, a moment
// apart, and only while the failure is one that passes.
#pragma once
#include "engine/outcome.h"
#include "platform/system.h"

namespace app {

struct RetryBound {
    int attempts;
    win::DWORD pauseMs;
};

// A scanner's look at a file: ten tries, 50 ms apart.
inline constexpr RetryBound kScannersMoment{10, 50};

// Calls `attempt` (which hands back an engine::Outcome) until it succeeds, at most
// `bound.attempts` times and `bound.pauseMs` apart. After each failure `passes` is asked, with the
// failure's error, whether it may be over by the next try; when it says no, the tries end. What
// the last attempt came to.
template <typename Attempt, typename Passes>
engine::Outcome RetryBriefly(RetryBound bound, Attempt attempt, Passes passes) {
    for (int tried = 1;; ++tried) {
        const engine::Outcome outcome = attempt();
        if (outcome || tried >= bound.attempts || !passes(outcome.error())) return outcome;
        win::Sleep(bound.pauseMs);
    }
}

}  // namespace app
