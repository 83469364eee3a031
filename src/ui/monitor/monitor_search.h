#pragma once
// Finding a string in the Data Monitor's text as it is shown (in the notation it was written
// in; line breaks are the stored CR and LF). Positions are those of MonitorText, so a hit can
// be selected as it is.
//
// The text is read in slices of kSearchSliceBytes, so a search of a full monitor holds about a
// megabyte beside it and costs one pass over the characters between the start and the hit.

#include <cstddef>
#include <optional>
#include <string_view>

namespace kestrum {

class MonitorText;

inline constexpr std::size_t kSearchSliceBytes = std::size_t{1} << 20;

struct SearchHit {
    std::size_t from = 0;
    std::size_t to = 0;  // exclusive
};

enum class SearchDirection { Forward, Backward };

// The first hit of `needle` (one byte per char) starting at or after `from` (Forward), or the
// last hit ending at or before `from` (Backward); the search goes round the end of the text
// once. matchCase false: letters of either case match, Latin-1 accented ones too. nullopt when
// the needle is empty, longer than the text or nowhere in it.
std::optional<SearchHit> FindInMonitor(const MonitorText& text, std::string_view needle,
                                       std::size_t from, SearchDirection direction, bool matchCase);

}  // namespace kestrum
