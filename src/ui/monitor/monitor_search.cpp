#include "ui/monitor/monitor_search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "ui/monitor/monitor_text.h"

namespace kestrum {

namespace {

// Latin-1 upper-case letters to lower case; every other byte stays.
constexpr std::array<char, 256> kFold = [] {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        table[static_cast<std::size_t>(c)] = static_cast<char>(upper ? c + 32 : c);
    }
    return table;
}();

void Fold(std::string& text) {
    for (char& c : text) {
        c = kFold[static_cast<unsigned char>(c)];
    }
}

// Where `needle` first occurs in `text`, or npos. glibc's memmem is the Two-Way algorithm:
// linear in both lengths whatever they hold, where a skip table alone (Horspool) multiplies
// them on periodic text such as a run of "FF ".
std::size_t FirstOf(std::string_view text, std::string_view needle) {
#ifdef __GLIBC__
    const void* found = ::memmem(text.data(), text.size(), needle.data(), needle.size());
    return found == nullptr
               ? std::string_view::npos
               : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
#else
    const auto found = std::search(text.begin(), text.end(),
                                   std::boyer_moore_searcher(needle.begin(), needle.end()));
    return found == text.end() ? std::string_view::npos
                               : static_cast<std::size_t>(found - text.begin());
#endif
}

}  // namespace

MonitorSearch::MonitorSearch(const MonitorText& text, std::string_view needle, std::size_t from,
                             SearchDirection direction, bool matchCase)
    : text_(text), needle_(needle), direction_(direction), matchCase_(matchCase) {
    const std::size_t size = text.Size();
    if (needle.empty() || needle.size() > size) {
        done_ = true;
        return;
    }
    if (!matchCase_) {
        Fold(needle_);
    }
    from = std::min(from, size);
    const std::size_t overlap = needle.size() - 1;
    if (direction_ == SearchDirection::Forward) {
        // From `from` to the end, then round: hits starting before `from`.
        ranges_ = {{from, size}, {0, std::min(size, from + overlap)}};
    } else {
        // Back from `from` to the start, then round: hits ending after `from`.
        std::reverse(needle_.begin(), needle_.end());
        ranges_ = {{0, from}, {from > overlap ? from - overlap : 0, size}};
    }
}

std::string MonitorSearch::Slice(std::size_t from, std::size_t to) const {
    std::string slice = text_.Bytes(from, to);
    if (!matchCase_) {
        Fold(slice);
    }
    if (direction_ == SearchDirection::Backward) {
        std::reverse(slice.begin(), slice.end());
    }
    return slice;
}

bool MonitorSearch::NextSlice() {
    const std::size_t size = needle_.size();
    Range& range = ranges_.front();
    if (range.to < range.from + size) {
        ranges_.erase(ranges_.begin());
        return ranges_.empty();
    }
    // Each slice reaches size - 1 into the next, so a hit across two is seen.
    const std::size_t span = std::min(range.to - range.from, kSearchSliceBytes + size - 1);
    const bool forward = direction_ == SearchDirection::Forward;
    const std::size_t start = forward ? range.from : range.to - span;
    const std::size_t at = FirstOf(Slice(start, start + span), needle_);
    if (at != std::string_view::npos) {
        const std::size_t hit = forward ? start + at : start + span - at - size;
        hit_ = SearchHit{hit, hit + size};
        return true;
    }
    const std::size_t advance = span - (size - 1);
    if (forward) {
        range.from += advance;
    } else {
        range.to -= advance;
    }
    return false;
}

bool MonitorSearch::Step(std::chrono::steady_clock::duration budget) {
    const auto until = std::chrono::steady_clock::now() + budget;
    while (!done_) {
        done_ = NextSlice();
        if (std::chrono::steady_clock::now() >= until) {
            break;
        }
    }
    return done_;
}

std::optional<SearchHit> FindInMonitor(const MonitorText& text, std::string_view needle,
                                       std::size_t from, SearchDirection direction,
                                       bool matchCase) {
    MonitorSearch search(text, needle, from, direction, matchCase);
    while (!search.Step(std::chrono::hours(1))) {
    }
    return search.Hit();
}

}  // namespace kestrum
