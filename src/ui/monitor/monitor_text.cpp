#include "ui/monitor/monitor_text.h"

#include <algorithm>
#include <limits>

namespace kestrum {

namespace {

constexpr std::size_t kMaxPalette = std::numeric_limits<std::uint8_t>::max() + 1;

int ColourDistance(QRgb a, QRgb b) {
    const int red = qRed(a) - qRed(b);
    const int green = qGreen(a) - qGreen(b);
    const int blue = qBlue(a) - qBlue(b);
    return red * red + green * green + blue * blue;
}

}  // namespace

MonitorText::MonitorText(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

bool MonitorText::AppendText(std::string_view text, QRgb colour, std::int64_t arrivalMs) {
    bool emptied = false;
    if (text.size() > capacity_ - Size()) {
        Clear();
        emptied = true;
        if (text.size() > capacity_) {
            text.remove_prefix(text.size() - capacity_);
        }
    }
    anchor_ = caret_ = Size();
    if (text.empty()) {
        return emptied;
    }

    const std::uint8_t paletteIndex = PaletteIndex(colour);
    const std::size_t base = Size();
    if (runStarts_.Empty() || runColours_.Back() != paletteIndex) {
        runStarts_.PushBack(static_cast<std::uint32_t>(base));
        runColours_.PushBack(paletteIndex);
    }
    if (arrivalMs != kNoArrival && (arrivals_.Count() == 0 || arrivals_.Back().time != arrivalMs)) {
        arrivals_.PushBack({base, arrivalMs});
    }

    // A CR starts a new line at once; an LF right after a CR completes that break
    // instead of starting another, even when the CR came with the previous append.
    char previous = base > 0 ? bytes_[base - 1] : '\0';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            const auto next = static_cast<std::uint32_t>(base + i + 1);
            if (c == '\n' && previous == '\r') {
                lines_.SetBack(next);
            } else {
                lines_.PushBack(next);
            }
        }
        previous = c;
    }
    bytes_.Append(std::span<const char>(text.data(), text.size()));
    anchor_ = caret_ = Size();
    return emptied;
}

void MonitorText::Clear() {
    bytes_.Clear();
    runStarts_.Clear();
    runColours_.Clear();
    palette_.clear();
    lines_.Clear();
    arrivals_.Clear();
    anchor_ = caret_ = 0;
    ++generation_;
}

void MonitorText::ReplaceWith(MonitorText&& other) {
    const std::uint64_t generation = std::max(generation_, other.generation_) + 1;
    *this = std::move(other);
    generation_ = generation;
}

ColourSegment MonitorText::Run(std::size_t index) const {
    const std::size_t end = index + 1 < runStarts_.Size() ? runStarts_[index + 1] : Size();
    return {runStarts_[index], end, palette_[runColours_[index]]};
}

std::optional<std::int64_t> MonitorText::ArrivalAt(std::size_t position) const {
    const std::size_t burst = arrivals_.IndexOf(position);
    if (burst == ArrivalCount() || position >= Size()) {
        return std::nullopt;
    }
    return arrivals_[burst].time;
}

std::optional<std::int64_t> MonitorText::BurstStartingAt(std::size_t position) const {
    const std::size_t burst = arrivals_.IndexOf(position);
    if (burst == ArrivalCount() || position >= Size()) {
        return std::nullopt;
    }
    const ArrivalIndex::Burst found = arrivals_[burst];
    return found.start == position ? std::optional<std::int64_t>(found.time) : std::nullopt;
}

std::string MonitorText::Bytes(std::size_t from, std::size_t to) const {
    to = std::min(to, Size());
    std::string result;
    if (from >= to) {
        return result;
    }
    result.reserve(to - from);
    bytes_.ForEachSpan(from, to, [&result](std::span<const char> piece) {
        result.append(piece.data(), piece.size());
    });
    return result;
}

std::size_t MonitorText::LineEnd(std::size_t line) const {
    if (line + 1 >= LineCount()) {
        return Size();
    }
    const std::size_t next = LineStart(line + 1);
    const std::size_t start = LineStart(line);
    // The break is CR LF, CR or LF.
    if (next - start >= 2 && bytes_[next - 1] == '\n' && bytes_[next - 2] == '\r') {
        return next - 2;
    }
    return next - 1;
}

std::size_t MonitorText::RunOf(std::size_t position) const {
    std::size_t low = 0;
    std::size_t high = runStarts_.Size();
    while (high - low > 1) {
        const std::size_t mid = low + (high - low) / 2;
        if (runStarts_[mid] <= position) {
            low = mid;
        } else {
            high = mid;
        }
    }
    return low;
}

QRgb MonitorText::ColourAt(std::size_t position) const {
    if (runStarts_.Empty()) {
        return kTransmitColour;
    }
    return palette_[runColours_[RunOf(position)]];
}

std::vector<ColourSegment> MonitorText::ColourSegments(std::size_t from, std::size_t to) const {
    to = std::min(to, Size());
    std::vector<ColourSegment> segments;
    if (from >= to) {
        return segments;
    }
    for (std::size_t run = RunOf(from); run < runStarts_.Size() && runStarts_[run] < to; ++run) {
        const std::size_t runEnd = run + 1 < runStarts_.Size() ? runStarts_[run + 1] : Size();
        segments.push_back({std::max<std::size_t>(from, runStarts_[run]), std::min(to, runEnd),
                            palette_[runColours_[run]]});
    }
    return segments;
}

std::string MonitorText::TextRange(std::size_t from, std::size_t to) const {
    std::string result;
    ForEachTextPiece(from, to, [&result](std::string_view piece) { result.append(piece); });
    return result;
}

void MonitorText::Select(std::size_t anchor, std::size_t caret) {
    anchor_ = std::min(anchor, Size());
    caret_ = std::min(caret, Size());
}

std::uint8_t MonitorText::PaletteIndex(QRgb colour) {
    const auto found = std::find(palette_.begin(), palette_.end(), colour);
    if (found != palette_.end()) {
        return static_cast<std::uint8_t>(found - palette_.begin());
    }
    if (palette_.size() < kMaxPalette) {
        palette_.push_back(colour);
        return static_cast<std::uint8_t>(palette_.size() - 1);
    }
    // More distinct colours than a run can name since the last Clear (the program
    // itself uses two): draw this one in the nearest colour already in use.
    const auto nearest = std::min_element(
        palette_.begin(), palette_.end(),
        [colour](QRgb a, QRgb b) { return ColourDistance(a, colour) < ColourDistance(b, colour); });
    return static_cast<std::uint8_t>(nearest - palette_.begin());
}

std::size_t MonitorText::AllocatedBytes() const {
    return bytes_.AllocatedBytes() + runStarts_.AllocatedBytes() + runColours_.AllocatedBytes() +
           palette_.capacity() * sizeof(QRgb) + lines_.AllocatedBytes() +
           arrivals_.AllocatedBytes();
}

}  // namespace kestrum
