#include "ui/main/monitor_layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kestrum {
namespace {

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
