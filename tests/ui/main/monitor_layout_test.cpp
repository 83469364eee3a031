#include "ui/main/monitor_layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kestrum {
namespace {

// The rows of a text worked out the slow way: every line, every row.
std::vector<RowSpan> ReferenceRows(const MonitorText& text, std::size_t columns) {
    std::vector<RowSpan> rows;
    for (std::size_t line = 0; line < text.LineCount(); ++line) {
        const std::size_t start = text.LineStart(line);
        const std::size_t end = text.LineEnd(line);
        std::size_t rowStart = start;
        do {
            const std::size_t rowEnd = std::min(end, rowStart + columns);
            rows.push_back({rowStart, rowEnd});
            rowStart = rowEnd;
        } while (rowStart < end);
    }
    return rows;
}

void ExpectMatchesReference(const WrapLayout& layout, const MonitorText& text) {
    const std::vector<RowSpan> reference = ReferenceRows(text, layout.Columns());
    ASSERT_EQ(layout.TotalRows(), reference.size());
    for (std::size_t row = 0; row < reference.size(); ++row) {
        const RowSpan span = layout.RowRange(text, row);
        ASSERT_EQ(span.from, reference[row].from) << "row " << row;
        ASSERT_EQ(span.to, reference[row].to) << "row " << row;
    }
}

TEST(WrapLayoutTest, LinesWrapIntoWholeRowsOfTheColumnCount) {
    struct Case {
        std::size_t length;
        std::size_t columns;
        std::size_t rows;
    };
    const std::vector<Case> cases = {
        {0, 10, 1},   // an empty line still takes a row
        {10, 10, 1},  // exactly full
        {11, 10, 2},  // one character over
        {25, 1, 25},  // one column
    };
    for (const Case& test : cases) {
        EXPECT_EQ(RowsForLength(test.length, test.columns), test.rows)
            << test.length << " in " << test.columns;
    }
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
        ExpectMatchesReference(layout, text);
        if (HasFatalFailure()) {
            return;
        }
    }
    // Every row maps back to its first line row.
    for (std::size_t row = 0; row < layout.TotalRows(); ++row) {
        const RowLocation location = layout.LocateRow(row);
        EXPECT_EQ(layout.FirstRowOfLine(location.line) + location.rowInLine, row);
    }
    // Another width re-wraps without touching the text.
    const std::string before = text.Text();
    layout.Reset(text, 3);
    ExpectMatchesReference(layout, text);
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
    EXPECT_EQ(layout.TotalRows(), 2u);
    ExpectMatchesReference(layout, text);
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
}

TEST(DisplayCharacterTest, ControlCharactersNeverReachTheLayoutRaw) {
    for (int byte = 0; byte < 256; ++byte) {
        const QChar shown = DisplayCharacter(static_cast<unsigned char>(byte));
        const bool control = byte < 0x20 || (byte >= 0x7F && byte < 0xA0);
        if (control) {
            EXPECT_EQ(shown, QChar(QChar::ReplacementCharacter)) << byte;
        } else {
            EXPECT_EQ(shown.unicode(), byte) << "Latin-1 character of byte " << byte;
        }
    }
}

}  // namespace
}  // namespace kestrum
