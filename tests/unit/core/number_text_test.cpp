// Numbers as text, at the ends of their ranges: the log's error numbers and process ids, and the
// installer's codes, -1 among them.
#include <gtest/gtest.h>

#include <climits>

#include "core/number_text.h"

namespace {

TEST(NumberText, EveryDwordFromZeroToTheLargest) {
    const std::pair<win::DWORD, std::u16string> cases[] = {
        {0, u"0"}, {7, u"7"}, {10, u"10"}, {1603, u"1603"}, {3010, u"3010"}, {4294967295u, u"4294967295"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(core::NumberText(value), text) << value;
}

TEST(SignedNumberText, NegativeNumbersHaveTheirSignAndTheExtremesTheirDigits) {
    const std::pair<int, std::u16string> cases[] = {{0, u"0"},         {-1, u"-1"},
                                                    {1605, u"1605"},   {-10, u"-10"},
                                                    {INT_MAX, u"2147483647"}, {INT_MIN, u"-2147483648"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(core::SignedNumberText(value), text) << value;
}

}  // namespace
