// The Data Monitor's model: the stored text with its lines and colours, and its layout in
// rows for the view and in pages for the printer.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ui/monitor/monitor_layout.h"
#include "ui/monitor/monitor_text.h"

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
        {{"\n"}, {"", ""}, "\r\n", "a break alone leaves an empty last line"},
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

// Across groups, with gaps of every size and a clock that is set back now and then.
TEST(ArrivalIndexTest, EveryBurstComesBackAndPositionsFindTheirBurst) {
    std::mt19937_64 random(7);
    std::vector<ArrivalIndex::Burst> bursts;
    ArrivalIndex index;
    ArrivalIndex::Burst burst{5, 1'800'000'000'000};
    for (int i = 0; i < 1000; ++i) {
        bursts.push_back(burst);
        index.PushBack(burst);
        burst.start += 1 + random() % (i % 10 == 0 ? 100000 : 12);
        burst.time += static_cast<std::int64_t>(random() % 5000) - (i % 50 == 0 ? 90000000 : 3);
    }
    EXPECT_EQ(index.IndexOf(4), index.Count()) << "before the first burst";
    for (std::size_t i = 0; i < bursts.size(); ++i) {
        ASSERT_EQ(index[i].start, bursts[i].start) << i;
        ASSERT_EQ(index[i].time, bursts[i].time) << i;
        ASSERT_EQ(index.IndexOf(bursts[i].start), i);
        ASSERT_EQ(index.IndexOf(bursts[i].start - 1), i == 0 ? index.Count() : i - 1);
    }
}

TEST(MonitorTextTest, TextRangeWritesBreaksAsCrLfAndRangesAndSelectionsAreClamped) {
    MonitorText text;
    text.AppendText("AB\rCD\nEF\r\nGH", kBlue);
    struct Case {
        std::size_t from;
        std::size_t to;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, 2, "AB"},      {1, 4, "B\r\nC"}, {0, 3, "AB\r\n"},
        {8, 12, "\r\nGH"}, {3, 3, ""},       {0, 100, "AB\r\nCD\r\nEF\r\nGH"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << test.from << ".." << test.to);
        EXPECT_EQ(text.TextRange(test.from, test.to), test.expected);
    }
    text.Select(20, 1);  // an anchor beyond the end
    EXPECT_EQ(text.SelectionStart(), 1u);
    EXPECT_EQ(text.SelectionLength(), text.Size() - 1);
}

TEST(MonitorTextTest, LinesLongerThanAChunkAndManyLinesStayIndexed) {
    // Lines that span the 64 KiB chunks of the text and need full starts in the line index's
    // groups of 16-bit offsets, mixed with many short lines; every CR is completed by its LF
    // in a later append, which moves the last line start on by one.
    MonitorText text;
    std::vector<std::string> expected;
    for (int round = 0; round < 3; ++round) {
        expected.push_back(std::string(70000 + round, static_cast<char>('a' + round)));
        for (int index = 0; index < 100; ++index) {
            expected.push_back(std::to_string(index));
        }
    }
    for (const std::string& line : expected) {
        text.AppendText(line + "\r", line.size() > 3 ? kBlue : kRed);
        text.AppendText("\n", kRed);
    }
    expected.push_back("");
    EXPECT_EQ(Lines(text), expected);
    for (std::size_t line = 0; line < text.LineCount(); ++line) {
        ASSERT_EQ(text.LineOf(text.LineStart(line)), line);
        ASSERT_EQ(text.LineOf(text.LineEnd(line)), line);
    }
}

using Rows = std::vector<std::pair<std::size_t, std::size_t>>;

// The rows of a text worked out the slow way: every line, every row.
Rows ReferenceRows(const MonitorText& text, std::size_t columns) {
    Rows rows;
    for (std::size_t line = 0; line < text.LineCount(); ++line) {
        const std::size_t end = text.LineEnd(line);
        std::size_t rowStart = text.LineStart(line);
        do {  // an empty line still takes a row
            rows.emplace_back(rowStart, std::min(end, rowStart + columns));
            rowStart = rows.back().second;
        } while (rowStart < end);
    }
    return rows;
}

Rows LaidOutRows(const WrapLayout& layout, const MonitorText& text) {
    Rows rows;
    for (std::size_t row = 0; row < layout.TotalRows(); ++row) {
        rows.emplace_back(layout.RowRange(text, row).from, layout.RowRange(text, row).to);
    }
    return rows;
}

TEST(WrapLayoutTest, AppendsLaidOutPieceByPieceMatchALayoutFromScratch) {
    // Random appends of text, breaks (split CR LF pairs included) and long lines;
    // after every append the incremental layout must equal the slow reference.
    std::mt19937 random(1234);
    const std::string alphabet = "0123456789ABCDEF \r\n\r\n";
    MonitorText text;
    WrapLayout layout;
    layout.Reset(text, 7);
    for (int step = 0; step < 400; ++step) {
        std::string piece;
        const int length = step % 50 == 0 ? 40 : static_cast<int>(random() % 6);
        for (int index = 0; index < length; ++index) {
            piece.push_back(alphabet[random() % alphabet.size()]);
        }
        text.AppendText(piece, step % 2 ? kReceiveColour : kTransmitColour);
        layout.Update(text);
        ASSERT_EQ(LaidOutRows(layout, text), ReferenceRows(text, 7)) << "step " << step;
    }
    // Every row maps back to its first line row.
    for (std::size_t row = 0; row < layout.TotalRows(); ++row) {
        const RowLocation location = layout.LocateRow(row);
        EXPECT_EQ(layout.FirstRowOfLine(location.line) + location.rowInLine, row);
    }
    // Another width re-wraps without touching the text.
    const std::string before = text.Text();
    layout.Reset(text, 3);
    EXPECT_EQ(LaidOutRows(layout, text), ReferenceRows(text, 3));
    EXPECT_EQ(text.Text(), before);
}

TEST(WrapLayoutTest, AnEmptiedTextIsLaidOutAgain) {
    MonitorText text(20);
    WrapLayout layout;
    layout.Reset(text, 4);
    text.AppendText("0123456789012345678", kTransmitColour);  // 5 rows
    layout.Update(text);
    EXPECT_EQ(layout.TotalRows(), 5u);
    text.AppendText("AB\nC", kReceiveColour);  // past the capacity: emptied first
    layout.Update(text);
    EXPECT_EQ(LaidOutRows(layout, text), ReferenceRows(text, 4));
}

TEST(WrapLayoutTest, PositionsAndRowColumnsAgree) {
    MonitorText text;
    text.AppendText("ABCDEFGH\r\nXY", kTransmitColour);
    WrapLayout layout;
    layout.Reset(text, 4);
    struct Case {
        std::size_t position;
        std::size_t row;
        std::size_t column;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, "start"},
        {5, 1, 1, "second row of a wrapped line"},
        {8, 1, 4, "the end of a full row stays on it"},
        {10, 2, 0, "after the CR LF"},
        {12, 2, 2, "end of the text"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.reason);
        const RowColumn at = layout.RowColumnOf(text, test.position);
        EXPECT_EQ(at.row, test.row);
        EXPECT_EQ(at.column, test.column);
        EXPECT_EQ(layout.PositionAt(text, at.row, at.column), test.position);
    }
    EXPECT_EQ(layout.PositionAt(text, 2, 99), 12u) << "columns past the row clamp";
}

std::vector<std::vector<std::string>> PageTexts(const MonitorText& text,
                                                const std::vector<PrintPage>& pages) {
    std::vector<std::vector<std::string>> result;
    for (const PrintPage& page : pages) {
        result.emplace_back();
        for (const RowSpan& row : page.rows) {
            result.back().push_back(text.Bytes(row.from, row.to));
        }
    }
    return result;
}

TEST(PrintLayoutTest, SelectionIsLaidOutAloneWrappedAndPaged) {
    MonitorText text;
    text.AppendText("first line\r\n", kTransmitColour);
    text.AppendText("41 42 43 44 45\r\n", kReceiveColour);
    text.AppendText("last", kTransmitColour);

    // From "42" to "la": a partial first line, a break, a partial last line.
    const std::size_t from = text.Text().find("42");
    const std::size_t to = text.Size() - 2;
    using Pages = std::vector<std::vector<std::string>>;
    EXPECT_EQ(PageTexts(text, LayOutPrintPages(text, from, to, 6, 2)),
              (Pages{{"42 43 ", "44 45"}, {"la"}}));
    EXPECT_EQ(PageTexts(text, LayOutPrintPages(text, 0, text.Size(), 80, 60)),
              (Pages{{"first line", "41 42 43 44 45", "last"}}));
    EXPECT_TRUE(LayOutPrintPages(text, 5, 5, 80, 60).empty()) << "empty range, no page";
    EXPECT_EQ(PageTexts(text, LayOutPrintPages(text, from, to, 7, 9)),
              (Pages{{"42 43 ", "44 45", "la"}}))
        << "rows break between tokens";
    EXPECT_EQ(PageTexts(text, LayOutPrintPages(text, 0, 10, 4, 9)), (Pages{{"firs", "t ", "line"}}))
        << "a row without a space breaks where it must";
}

}  // namespace
}  // namespace kestrum
