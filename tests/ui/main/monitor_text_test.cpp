#include "ui/main/monitor_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/main/monitor_storage.h"

namespace kestrum {
namespace {

constexpr QRgb kBlue = kTransmitColour;
constexpr QRgb kRed = kReceiveColour;

std::vector<std::string> Lines(const MonitorText& text) {
    std::vector<std::string> lines;
    for (std::size_t line = 0; line < text.LineCount(); ++line) {
        lines.push_back(text.Bytes(text.LineStart(line), text.LineEnd(line)));
    }
    return lines;
}

// "from-to:B|R ..." for the colour runs of [from, to).
std::string Runs(const MonitorText& text, std::size_t from, std::size_t to) {
    std::string runs;
    for (const ColourSegment& s : text.ColourSegments(from, to)) {
        runs += std::to_string(s.from) + "-" + std::to_string(s.to) +
                (s.colour == kBlue  ? ":B "
                 : s.colour == kRed ? ":R "
                                    : ":? ");
    }
    return runs;
}

TEST(MonitorTextTest, EachBreakKindIsOneLineBreakReportedAsCrLf) {
    struct Case {
        std::vector<std::string> appends;
        std::vector<std::string> lines;
        std::string reported;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {{"41 42\r\n43"}, {"41 42", "43"}, "41 42\r\n43", "CR LF pair"},
        {{"A\rB"}, {"A", "B"}, "A\r\nB", "lone CR"},
        {{"A\nB"}, {"A", "B"}, "A\r\nB", "lone LF"},
        {{"A\r", "\nB"}, {"A", "B"}, "A\r\nB", "CR and LF split over two appends"},
        {{"A\r", "\n", "\nB"}, {"A", "", "B"}, "A\r\n\r\nB", "only the first LF joins the CR"},
        {{"A\n\rB"}, {"A", "", "B"}, "A\r\n\r\nB", "LF then CR are two breaks"},
        {{"A\r\r\nB"}, {"A", "", "B"}, "A\r\n\r\nB", "CR, then a CR LF pair"},
        {{"A\r\n"}, {"A", ""}, "A\r\n", "a final break leaves an empty last line"},
        {{"\n"}, {"", ""}, "\r\n", "a break alone"},
        {{"AB", "CD"}, {"ABCD"}, "ABCD", "appends without breaks continue the line"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.reason);
        MonitorText text;
        for (const std::string& append : test.appends) {
            text.AppendText(append, kBlue);
        }
        EXPECT_EQ(Lines(text), test.lines);
        EXPECT_EQ(text.Text(), test.reported);
    }
}

TEST(MonitorTextTest, TransmittedAndReceivedTextKeepTheirColours) {
    MonitorText text;
    text.AppendText("AB", kBlue);
    text.AppendText("CD", kRed);
    text.AppendText("E", kRed);  // same colour: extends the run
    text.AppendText("F", kBlue);
    EXPECT_EQ(Runs(text, 0, text.Size()), "0-2:B 2-5:R 5-6:B ");
    EXPECT_EQ(Runs(text, 1, 3), "1-2:B 2-3:R ") << "a range inside runs is clipped to it";
}

TEST(MonitorTextTest, CapacityEmptiesTheMonitorAndKeepsTheNewText) {
    struct Case {
        std::string before;
        std::string append;
        std::string after;
        bool emptied;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"12345678", "AB", "12345678AB", false, "exactly full is not past the capacity"},
        {"123456789", "AB", "AB", true, "one past: emptied, the new text is kept"},
        {"1234", "ABCDEFGHIJKL", "CDEFGHIJKL", true, "larger than the capacity: its tail"},
        {"", "\nABCDEFGHIJ", "ABCDEFGHIJ", true, "cut text starts a fresh first line"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.reason);
        MonitorText text(10);
        text.AppendText(test.before, kBlue);
        const std::uint64_t generation = text.Generation();
        EXPECT_EQ(text.AppendText(test.append, kRed), test.emptied);
        EXPECT_EQ(text.Text(), test.after);
        EXPECT_EQ(text.Generation() != generation, test.emptied);
        EXPECT_EQ(text.ColourAt(text.Size() - 1), kRed);
    }
}

TEST(MonitorTextTest, SelectionIsClampedToTheText) {
    MonitorText text;
    text.AppendText("41 42 43 ", kBlue);
    text.Select(20, 1);  // an anchor beyond the end
    EXPECT_EQ(text.SelectionStart(), 1u);
    EXPECT_EQ(text.SelectionLength(), text.Size() - 1);
}

TEST(MonitorTextTest, TextRangeWritesBreaksAsCrLfAndClipsLines) {
    MonitorText text;
    text.AppendText("AB\rCD\nEF\r\nGH", kBlue);
    struct Case {
        std::size_t from;
        std::size_t to;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, 2, "AB"},
        {1, 4, "B\r\nC"},
        {0, 3, "AB\r\n"},
        {4, 9, "D\r\nEF\r\n"},
        {8, 12, "\r\nGH"},
        {3, 3, ""},
        {0, 100, "AB\r\nCD\r\nEF\r\nGH"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << test.from << ".." << test.to);
        EXPECT_EQ(text.TextRange(test.from, test.to), test.expected);
    }
}

TEST(MonitorTextTest, LinesLongerThanAChunkAndManyLinesStayIndexed) {
    // Lines that span the 64 KiB chunks of the text and the 16-bit offsets of the
    // line index, mixed with many short lines.
    MonitorText text;
    std::vector<std::string> expected;
    for (int round = 0; round < 3; ++round) {
        const std::string longLine(70000 + round, static_cast<char>('a' + round));
        text.AppendText(longLine + "\r\n", kBlue);
        expected.push_back(longLine);
        for (int index = 0; index < 100; ++index) {
            text.AppendText(std::to_string(index) + "\n", kRed);
            expected.push_back(std::to_string(index));
        }
    }
    expected.push_back("");
    EXPECT_EQ(Lines(text), expected);
    for (std::size_t line = 0; line < text.LineCount(); line += 37) {
        EXPECT_EQ(text.LineOf(text.LineStart(line)), line);
        EXPECT_EQ(text.LineOf(text.LineEnd(line)), line);
    }
}

TEST(LineStartIndexTest, WideGroupsAndMovedLastStartsReadBack) {
    LineStartIndex index;
    std::vector<std::uint32_t> starts = {0};
    std::uint32_t position = 0;
    for (std::uint32_t line = 1; line < 300; ++line) {
        // Every 50th line is 100 000 characters long, so some groups need full starts.
        position += line % 50 == 0 ? 100000 : 3;
        index.PushBack(position);
        starts.push_back(position);
        if (line % 64 == 0 || line % 70 == 0) {
            // An LF completing a CR moves the last start on by one.
            index.SetBack(++position);
            starts.back() = position;
        }
    }
    ASSERT_EQ(index.Count(), starts.size());
    for (std::size_t line = 0; line < starts.size(); ++line) {
        ASSERT_EQ(index[line], starts[line]) << "line " << line;
        ASSERT_EQ(index.LineOf(starts[line]), line);
    }
    EXPECT_EQ(index.LineOf(starts.back() + 1000), starts.size() - 1);
}

}  // namespace
}  // namespace kestrum
