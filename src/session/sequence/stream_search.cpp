#include "session/sequence/stream_search.h"

#include <cstring>

#include "session/sequence/sequence.h"

namespace kestrum {

ByteSearch::ByteSearch(std::string needle) : needle_(std::move(needle)), fallback_(needle_.size()) {
    std::size_t border = 0;
    for (std::size_t i = 1; i < needle_.size(); ++i) {
        while (border > 0 && needle_[i] != needle_[border]) {
            border = fallback_[border - 1];
        }
        if (needle_[i] == needle_[border]) {
            ++border;
        }
        fallback_[i] = border;
    }
}

std::optional<std::size_t> ByteSearch::Feed(std::string_view piece) {
    if (needle_.empty()) {
        return 0;
    }
    const char* const begin = piece.data();
    const char* const end = begin + piece.size();
    const char* at = begin;
    while (at != end) {
        if (matched_ == 0) {
            // Nothing under way: jump to the next place the needle could start.
            const void* first = std::memchr(at, needle_[0], static_cast<std::size_t>(end - at));
            if (first == nullptr) {
                return std::nullopt;
            }
            at = static_cast<const char*>(first) + 1;
            matched_ = 1;
        } else {
            const char c = *at++;
            while (matched_ > 0 && c != needle_[matched_]) {
                matched_ = fallback_[matched_ - 1];
            }
            if (c == needle_[matched_]) {
                ++matched_;
            }
        }
        if (matched_ == needle_.size()) {
            matched_ = fallback_[matched_ - 1];
            return static_cast<std::size_t>(at - begin);
        }
    }
    return std::nullopt;
}

RegexSearch::RegexSearch(QRegularExpression regex) : regex_(std::move(regex)) {}

RegexSearch::Result RegexSearch::Feed(std::string_view piece) {
    window_.append(QLatin1StringView(piece.data(), static_cast<qsizetype>(piece.size())));
    const QRegularExpressionMatch match =
        regex_.match(window_, 0, QRegularExpression::PartialPreferCompleteMatch);
    if (!match.isValid()) {
        // PCRE2 gave up: the match limit or its stack.
        window_.clear();
        return Result::TooCostly;
    }
    if (match.hasMatch()) {
        window_.clear();
        return Result::Match;
    }
    // No match can start before a partial one; without a partial one, none can start in what
    // was seen.
    const qsizetype keepFrom = match.hasPartialMatch() ? match.capturedStart(0) : window_.size();
    const qsizetype cut = std::max(keepFrom, window_.size() - sequence_limits::kRegexWindow);
    window_.remove(0, cut);
    return Result::NoMatch;
}

}  // namespace kestrum
