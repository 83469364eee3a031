#include "session/sequence/step_difference.h"

#include <gtest/gtest.h>

namespace kestrum {
namespace {

TEST(StepDifference, LaysTheExpectationWhereTheLongestStartOfItArrived) {
    struct Case {
        const char* expected;
        const char* arrived;
        std::size_t offset;
        std::size_t matched;
        const char* why;
    };
    const Case cases[] = {
        {"V2.0", "V1.2\r\n", 0, 1, "parts at the second byte"},
        {"OK", "", 0, 0, "nothing arrived"},
        {"OK", "ERR", 0, 0, "nothing in common"},
        {"ACK 7", "\r\nACK 9", 2, 4, "found after noise"},
        {"AB", "A AB", 2, 2, "the whole of it wins over a first partial start"},
        {"ABC", "AB", 0, 2, "arrived ends early: the missing byte is marked"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const StepDifference difference = FindDifference(c.expected, c.arrived);
        EXPECT_EQ(difference.offset, c.offset);
        EXPECT_EQ(difference.matched, c.matched);
    }
}

}  // namespace
}  // namespace kestrum
