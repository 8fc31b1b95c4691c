// Every test starts on a fresh simulated machine.
#include <gtest/gtest.h>

#include "platform/sim/machine.h"

namespace {
class FreshMachine : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { sim::Reset(); }
};
}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshMachine);
    return RUN_ALL_TESTS();
}
