// Find over the monitor's text: both directions, round the end, either case, and hits that
// straddle the slices the text is read in.

#include <gtest/gtest.h>

#include "ui/monitor/monitor_search.h"
#include "ui/monitor/monitor_text.h"

namespace kestrum {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

TEST(MonitorSearch, FindsByDirectionAndCaseRoundTheEndAndAcrossSlices) {
    constexpr std::size_t kSlice = kSearchSliceBytes;
    MonitorText text;
    // "abcd" starts 2 before the first slice's end; the second filler puts a slice between it
    // and the end of the text.
    text.AppendText("\xC9te\r\n" + std::string(kSlice - 7, '.') + "abcd" +
                        std::string(kSlice + 5, '.') + "\xC9T\xC9",
                    kReceiveColour);
    const std::size_t end = text.Size();
    const struct {
        const char* reason;
        std::string needle;
        std::size_t from;
        SearchDirection direction;
        bool matchCase;
        std::size_t expected;
    } cases[] = {
        {"across a slice", "abcd", 0, SearchDirection::Forward, true, kSlice - 2},
        {"round the end", "abcd", kSlice, SearchDirection::Forward, true, kSlice - 2},
        {"backwards over a slice", "abcd", end, SearchDirection::Backward, true, kSlice - 2},
        {"backwards round the start", "\xC9T\xC9", 2, SearchDirection::Backward, true, end - 3},
        {"case", "ABCD", 0, SearchDirection::Forward, true, kNone},
        {"either case", "ABCD", 0, SearchDirection::Forward, false, kSlice - 2},
        {"accented, either case", "\xE9t\xE9", 0, SearchDirection::Forward, false, end - 3},
        {"the stored break", "\r\n", 0, SearchDirection::Forward, true, 3},
        {"nowhere", "abce", 0, SearchDirection::Forward, false, kNone},
        {"empty", "", 0, SearchDirection::Forward, false, kNone},
        {"longer than the text", std::string(end + 1, '.'), 0, SearchDirection::Forward, true,
         kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const auto hit = FindInMonitor(text, c.needle, c.from, c.direction, c.matchCase);
        ASSERT_EQ(hit ? hit->from : kNone, c.expected);
        if (hit) {
            EXPECT_EQ(hit->to - hit->from, c.needle.size());
        }
    }
}

}  // namespace
}  // namespace kestrum
