#include "ui/monitor/monitor_layout.h"

#include <algorithm>

namespace kestrum {

std::size_t RowsForLength(std::size_t length, std::size_t columns) {
    return length == 0 ? 1 : (length + columns - 1) / columns;
}

QChar DisplayCharacter(unsigned char byte) {
    const bool control = byte < 0x20 || (byte >= 0x7F && byte < 0xA0);
    return control ? QChar(QChar::ReplacementCharacter)
                   : QChar(QLatin1Char(static_cast<char>(byte)));
}

void WrapLayout::Reset(const MonitorText& text, std::size_t columns) {
    columns_ = std::max<std::size_t>(columns, 1);
    wrapped_.clear();
    wrapped_.shrink_to_fit();
    lineCount_ = 1;
    totalRows_ = 0;
    generation_ = text.Generation();
    Update(text);
}

void WrapLayout::Update(const MonitorText& text) {
    if (text.Generation() != generation_) {
        Reset(text, columns_);
        return;
    }
    // The last line laid out may have grown; everything before it is final.
    const std::size_t first = lineCount_ - 1;
    while (!wrapped_.empty() && wrapped_.back().line >= first) {
        wrapped_.pop_back();
    }
    std::size_t row = first;
    if (!wrapped_.empty()) {
        const WrappedLine& last = wrapped_.back();
        row = last.firstRow + last.rows + (first - last.line - 1);
    }
    for (std::size_t line = first; line < text.LineCount(); ++line) {
        const std::size_t rows = RowsForLength(text.LineLength(line), columns_);
        if (rows > 1) {
            wrapped_.push_back({static_cast<std::uint32_t>(line), static_cast<std::uint32_t>(row),
                                static_cast<std::uint32_t>(rows)});
        }
        row += rows;
    }
    lineCount_ = text.LineCount();
    totalRows_ = row;
}

std::size_t WrapLayout::FirstRowOfLine(std::size_t line) const {
    const auto after = std::upper_bound(
        wrapped_.begin(), wrapped_.end(), line,
        [](std::size_t value, const WrappedLine& entry) { return value < entry.line; });
    if (after == wrapped_.begin()) {
        return line;
    }
    const WrappedLine& entry = *(after - 1);
    if (entry.line == line) {
        return entry.firstRow;
    }
    return entry.firstRow + entry.rows + (line - entry.line - 1);
}

RowLocation WrapLayout::LocateRow(std::size_t row) const {
    const auto after = std::upper_bound(
        wrapped_.begin(), wrapped_.end(), row,
        [](std::size_t value, const WrappedLine& entry) { return value < entry.firstRow; });
    if (after == wrapped_.begin()) {
        return {row, 0};
    }
    const WrappedLine& entry = *(after - 1);
    if (row < entry.firstRow + entry.rows) {
        return {entry.line, row - entry.firstRow};
    }
    return {entry.line + 1 + (row - entry.firstRow - entry.rows), 0};
}

RowColumn WrapLayout::RowColumnOf(const MonitorText& text, std::size_t position) const {
    position = std::min(position, text.Size());
    const std::size_t line = text.LineOf(position);
    const std::size_t length = text.LineLength(line);
    const std::size_t offset = std::min(position - text.LineStart(line), length);
    std::size_t rowInLine = offset / columns_;
    std::size_t column = offset % columns_;
    if (offset > 0 && column == 0 && offset == length) {
        // The end of a line that fills its last row stays on that row.
        --rowInLine;
        column = columns_;
    }
    return {FirstRowOfLine(line) + rowInLine, column};
}

RowSpan WrapLayout::RowRange(const MonitorText& text, std::size_t row) const {
    if (row >= totalRows_) {
        return {text.Size(), text.Size()};
    }
    const RowLocation location = LocateRow(row);
    const std::size_t start = text.LineStart(location.line) + location.rowInLine * columns_;
    const std::size_t end = std::min(text.LineEnd(location.line), start + columns_);
    return {start, end};
}

std::size_t WrapLayout::PositionAt(const MonitorText& text, std::size_t row,
                                   std::size_t column) const {
    const RowSpan span = RowRange(text, row);
    return std::min(span.from + column, span.to);
}

std::vector<PrintPage> LayOutPrintPages(const MonitorText& text, std::size_t from, std::size_t to,
                                        std::size_t columns, std::size_t rowsPerPage) {
    to = std::min(to, text.Size());
    columns = std::max<std::size_t>(columns, 1);
    rowsPerPage = std::max<std::size_t>(rowsPerPage, 1);
    std::vector<PrintPage> pages;
    if (from >= to) {
        return pages;
    }
    const auto addRow = [&pages, rowsPerPage](RowSpan row) {
        if (pages.empty() || pages.back().rows.size() == rowsPerPage) {
            pages.emplace_back();
        }
        pages.back().rows.push_back(row);
    };
    for (std::size_t line = text.LineOf(from); line < text.LineCount(); ++line) {
        const std::size_t start = std::max(from, text.LineStart(line));
        if (start >= to) {
            break;
        }
        const std::size_t end = std::min(text.LineEnd(line), to);
        // A range starting inside a line break gives that line one empty row.
        std::size_t rowStart = std::min(start, end);
        do {
            std::size_t rowEnd = std::min(end, rowStart + columns);
            // A row that does not end the line ends after its last space, so that no
            // Hex or Decimal token is split across two rows.
            for (std::size_t p = rowEnd; rowEnd < end && p > rowStart + 1; --p) {
                if (text.At(p - 1) == ' ') {
                    rowEnd = p;
                    break;
                }
            }
            addRow({rowStart, rowEnd});
            rowStart = rowEnd;
        } while (rowStart < end);
    }
    return pages;
}

}  // namespace kestrum
