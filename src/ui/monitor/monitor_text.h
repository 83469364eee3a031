#pragma once
// The Data Monitor's text: characters (one byte each, shown as Latin-1) with a colour
// each, a line index and the selection. No widget code: the view and the file and
// print operations read it. An append costs time proportional to the appended text.

#include <QRgb>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/monitor/monitor_constants.h"
#include "ui/monitor/monitor_storage.h"

namespace kestrum {

// A stretch of text in one colour.
struct ColourSegment {
    std::size_t from = 0;
    std::size_t to = 0;  // exclusive
    QRgb colour = 0;
};

// An append given no arrival time records none.
inline constexpr std::int64_t kNoArrival = INT64_MIN;

class MonitorText {
public:
    // `capacity` is injectable so tests need not fill 64 MiB.
    explicit MonitorText(std::size_t capacity = kMonitorCapacity);

    // Adds `text` at the end in `colour`, puts the caret at the end and removes the
    // selection. A line break is CR LF, a lone CR or a lone LF; a CR ending one append
    // and an LF starting the next are one break. When the text would grow past the
    // capacity the monitor is emptied first (and of a text larger than the capacity
    // only its last `capacity` characters are kept). Returns true when it emptied.
    // May throw std::bad_alloc; the caller then Clear()s.
    // `arrivalMs` (milliseconds since the epoch) is kept for the text's first character,
    // unless the previous append came in the same millisecond: one entry per burst.
    bool AppendText(std::string_view text, QRgb colour, std::int64_t arrivalMs = kNoArrival);
    void Clear();
    // Takes `other`'s text, colours, times and selection; views see an emptying.
    void ReplaceWith(MonitorText&& other);

    std::size_t Size() const { return bytes_.Size(); }
    bool IsEmpty() const { return bytes_.Empty(); }
    std::size_t Capacity() const { return capacity_; }
    // Changes whenever the text is emptied (Clear or capacity), so views can tell an
    // append from a replacement.
    std::uint64_t Generation() const { return generation_; }

    // Raw stored characters: line breaks are still CR and LF.
    unsigned char At(std::size_t position) const {
        return static_cast<unsigned char>(bytes_[position]);
    }
    std::string Bytes(std::size_t from, std::size_t to) const;

    // Lines 0 .. LineCount() - 1; each break ends a line, the last line has none.
    std::size_t LineCount() const { return lines_.Count(); }
    std::size_t LineStart(std::size_t line) const { return lines_[line]; }
    // End of the line's characters, before its break.
    std::size_t LineEnd(std::size_t line) const;
    std::size_t LineLength(std::size_t line) const { return LineEnd(line) - LineStart(line); }
    std::size_t LineOf(std::size_t position) const { return lines_.LineOf(position); }

    QRgb ColourAt(std::size_t position) const;
    // Colour runs by index: each covers [from, to) in one colour, in order.
    std::size_t RunCount() const { return runStarts_.Size(); }
    ColourSegment Run(std::size_t index) const;

    // Arrival times by index: where each burst starts and when it came.
    std::size_t ArrivalCount() const { return arrivals_.Count(); }
    ArrivalIndex::Burst Arrival(std::size_t index) const { return arrivals_[index]; }
    // When the character at `position` arrived; nullopt when no time was given for it.
    std::optional<std::int64_t> ArrivalAt(std::size_t position) const;
    // The time of a burst that starts exactly at `position`.
    std::optional<std::int64_t> BurstStartingAt(std::size_t position) const;
    // The colour segments covering [from, to), in order.
    std::vector<ColourSegment> ColourSegments(std::size_t from, std::size_t to) const;

    // The whole text as the monitor reports it: every break as CR LF.
    std::string Text() const { return TextRange(0, Size()); }
    std::string TextRange(std::size_t from, std::size_t to) const;
    // Calls visit(std::string_view) with consecutive pieces of TextRange(from, to)
    // without building it, so a 64 MiB monitor is saved without a 64 MiB copy.
    template <typename Visit>
    void ForEachTextPiece(std::size_t from, std::size_t to, Visit&& visit) const;

    // The selection is [SelectionStart, SelectionStart + SelectionLength).
    void Select(std::size_t anchor, std::size_t caret);
    void SelectAll() { Select(0, Size()); }
    std::size_t Anchor() const { return anchor_; }
    std::size_t Caret() const { return caret_; }
    std::size_t SelectionStart() const { return std::min(anchor_, caret_); }
    std::size_t SelectionLength() const { return std::max(anchor_, caret_) - SelectionStart(); }
    bool HasSelection() const { return anchor_ != caret_; }

    // Memory held by the text, its colour runs and its line index.
    std::size_t AllocatedBytes() const;

private:
    std::uint8_t PaletteIndex(QRgb colour);
    std::size_t RunOf(std::size_t position) const;

    std::size_t capacity_;
    SegmentedArray<char, 16> bytes_;
    // Colour runs: where each starts and its colour, as an index into palette_.
    SegmentedArray<std::uint32_t, 12> runStarts_;
    SegmentedArray<std::uint8_t, 14> runColours_;
    std::vector<QRgb> palette_;
    LineStartIndex lines_;
    ArrivalIndex arrivals_;
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    std::uint64_t generation_ = 0;
};

template <typename Visit>
void MonitorText::ForEachTextPiece(std::size_t from, std::size_t to, Visit&& visit) const {
    to = std::min(to, Size());
    if (from >= to) {
        return;
    }
    const auto visitBytes = [&visit](std::span<const char> piece) {
        visit(std::string_view(piece.data(), piece.size()));
    };
    for (std::size_t line = LineOf(from); line < LineCount(); ++line) {
        const std::size_t start = std::max(from, LineStart(line));
        if (start >= to) {
            break;
        }
        const std::size_t end = LineEnd(line);
        bytes_.ForEachSpan(start, std::min(end, to), visitBytes);
        if (to > end && line + 1 < LineCount()) {
            visit(std::string_view(kLineBreak));
        }
    }
}

}  // namespace kestrum
