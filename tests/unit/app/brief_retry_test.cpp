// Brief retries: a failure that passes is tried again up to the bound, a moment apart; any other
// ends the tries at once, and a success ends them without a further pause.
#include <gtest/gtest.h>

#include "app/brief_retry.h"
#include "platform/sim/machine.h"

namespace {

TEST(BriefRetry, TriesUntilSuccessTheBoundOrAFailureThatDoesNotPass) {
    struct Case {
        const char* what;
        int succeedsAt;  // 0: never
        bool passes;
        bool succeeded;
        int tries;
    };
    const Case cases[] = {
        {"at once", 1, true, true, 1},
        {"at the third try", 3, true, true, 3},
        {"at the last try", 10, true, true, 10},
        {"never", 0, true, false, 10},
        {"a failure that does not pass", 3, false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        int tries = 0;
        const engine::Outcome outcome = app::RetryBriefly(
            app::kScannersMoment,
            [&] { return ++tries == c.succeedsAt ? engine::Outcome() : engine::Outcome::Failure(win::ERROR_SHARING_VIOLATION); },
            [&](win::DWORD error) { return c.passes && error == win::ERROR_SHARING_VIOLATION; });
        EXPECT_EQ(outcome.Succeeded(), c.succeeded);
        if (!c.succeeded) {
            EXPECT_EQ(outcome.error(), static_cast<win::DWORD>(win::ERROR_SHARING_VIOLATION));
        }
        EXPECT_EQ(tries, c.tries);
        EXPECT_EQ(sim::machine().system.sleeps, std::vector<win::DWORD>(static_cast<std::size_t>(c.tries - 1), 50u));
    }
}

}  // namespace
