#pragma once
// Finding a string in the Data Monitor's text as it is shown (in the notation it was written
// in; line breaks are the stored CR and LF). Positions are those of MonitorText, so a hit can
// be selected as it is.
//
// The text is read in slices of kSearchSliceBytes, so a search of a full monitor holds about a
// megabyte beside it. Each slice is searched in time linear in the slice plus the needle (the
// Two-Way algorithm), so a long needle costs no more than a short one on a text that nearly
// matches it everywhere, as Hex traffic does. A MonitorSearch stops between slices, so a search
// of a full monitor can be spread over the event loop.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
class MonitorSearch {
public:
    // `text` must not be emptied or replaced until the search is done; appends do no harm
    // (what came after the start is not searched).
    MonitorSearch(const MonitorText& text, std::string_view needle, std::size_t from,
                  SearchDirection direction, bool matchCase);

    // Searches slice by slice for about `budget` (at least one slice); true once the search is
    // over, Hit() then says where.
    bool Step(std::chrono::steady_clock::duration budget);
    bool Done() const { return done_; }
    const std::optional<SearchHit>& Hit() const { return hit_; }

private:
    // A stretch of the text, searched from its start (Forward) or from its end (Backward).
    struct Range {
        std::size_t from = 0;
        std::size_t to = 0;
    };
    // Searches the next slice of the current range; true when that settled the search.
    bool NextSlice();
    std::string Slice(std::size_t from, std::size_t to) const;

    const MonitorText& text_;
    std::string needle_;  // folded when the case does not matter; reversed for Backward
    SearchDirection direction_;
    bool matchCase_;
    std::vector<Range> ranges_;  // what is left, the current one first
    bool done_ = false;
    std::optional<SearchHit> hit_;
};

// A whole search at once.
std::optional<SearchHit> FindInMonitor(const MonitorText& text, std::string_view needle,
                                       std::size_t from, SearchDirection direction, bool matchCase);

}  // namespace kestrum
