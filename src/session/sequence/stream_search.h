#pragma once
// Searches in received bytes that arrive in pieces, carrying their state from one piece to the
// next, so that a reply cut anywhere is found as it is in one piece and no byte is looked at
// twice (bytes) or the look back is bounded (regular expression).

#include <QRegularExpression>
#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum {

// Finds a byte string (Knuth-Morris-Pratt over the pieces; memchr while nothing is matched).
// Cost: linear in the bytes fed, whatever the cut; memory: the needle and its table.
class ByteSearch {
public:
    explicit ByteSearch(std::string needle);

    // The count of bytes of `piece` up to and including the end of the first match, or nullopt
    // when the needle has not ended within it (its start may lie in earlier pieces).
    std::optional<std::size_t> Feed(std::string_view piece);
    // Forgets the bytes fed so far.
    void Reset() { matched_ = 0; }

private:
    std::string needle_;
    std::vector<std::size_t> fallback_;  // longest proper border of needle_[0..i]
    std::size_t matched_ = 0;            // needle bytes matched at the end of what was fed
};

// Matches a regular expression over received bytes read as Latin-1 text. Only the text from
// the earliest place a match could still start is kept (PCRE2's partial matching tells it),
// and never more than kRegexWindow characters.
class RegexSearch {
public:
    enum class Result { NoMatch, Match, TooCostly };

    explicit RegexSearch(QRegularExpression regex);

    Result Feed(std::string_view piece);
    void Reset() { window_.clear(); }

private:
    QRegularExpression regex_;
    QString window_;
};

}  // namespace kestrum
