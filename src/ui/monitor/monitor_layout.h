#pragma once
// Wrapping of the monitor's text into rows of a fixed number of columns, shared by
// the view (screen rows) and printing (rows on pages). With a fixed-pitch font a
// logical line of L characters takes max(1, ceil(L / columns)) rows.

#include <QChar>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/monitor/monitor_text.h"

namespace kestrum {

// Where a row lies: the logical line and which of its wrapped rows.
struct RowLocation {
    std::size_t line = 0;
    std::size_t rowInLine = 0;
};

// A text position as row and column; column == Columns() only at the end of a full row.
struct RowColumn {
    std::size_t row = 0;
    std::size_t column = 0;
};

// Rows of one text range: [from, to) of the stored characters.
struct RowSpan {
    std::size_t from = 0;
    std::size_t to = 0;
};

std::size_t RowsForLength(std::size_t length, std::size_t columns);

// How a stored character is drawn. Control characters (C0, DEL, C1) would have no
// glyph or would break the layout, so they are drawn as U+FFFD; every other byte
// as its Latin-1 character.
QChar DisplayCharacter(unsigned char byte);

// The screen layout of a whole MonitorText. Only lines that wrap to more than one
// row are recorded, so a text of short lines costs nothing here, and an append
// touches only the last line and the new ones.
class WrapLayout {
public:
    // Lays out the whole text again (after a width change or an emptied text).
    void Reset(const MonitorText& text, std::size_t columns);
    // Lays out what was appended since the last call; the same as Reset when the
    // text was emptied in the meantime.
    void Update(const MonitorText& text);

    std::size_t Columns() const { return columns_; }
    // The text generation laid out (see MonitorText::Generation).
    std::uint64_t Generation() const { return generation_; }
    std::size_t TotalRows() const { return totalRows_; }
    std::size_t FirstRowOfLine(std::size_t line) const;
    RowLocation LocateRow(std::size_t row) const;

    RowColumn RowColumnOf(const MonitorText& text, std::size_t position) const;
    // The characters shown on `row` (empty past the last row).
    RowSpan RowRange(const MonitorText& text, std::size_t row) const;
    // The text position at `column` of `row`, clamped to the row's characters.
    std::size_t PositionAt(const MonitorText& text, std::size_t row, std::size_t column) const;

private:
    struct WrappedLine {
        std::uint32_t line;
        std::uint32_t firstRow;
        std::uint32_t rows;
    };

    std::vector<WrappedLine> wrapped_;
    std::size_t columns_ = 1;
    std::size_t lineCount_ = 0;  // lines laid out; the last may still grow
    std::size_t totalRows_ = 0;
    std::uint64_t generation_ = UINT64_MAX;
};

// One printed page: its rows, each a range of stored characters.
struct PrintPage {
    std::vector<RowSpan> rows;
};

// Lays out the stored characters [from, to) for printing: each line of the range
// starts a row, long lines wrap after the last space that fits in `columns` (at
// `columns` when the row has none), and every `rowsPerPage` rows start a new page.
// An empty range gives no page.
std::vector<PrintPage> LayOutPrintPages(const MonitorText& text, std::size_t from, std::size_t to,
                                        std::size_t columns, std::size_t rowsPerPage);

}  // namespace kestrum
