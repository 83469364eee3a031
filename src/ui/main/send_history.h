#pragma once
// The strings sent from the String to Send box in this run, stepped through with Up and Down
// as a shell's history is.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "notation/byte_notation.h"

namespace kestrum {

class SendHistory {
public:
    static constexpr std::size_t kLimit = 50;

    // A string as it stood in the box, in the notation it was typed in.
    struct Entry {
        std::string text;
        DisplayMode mode = DisplayMode::Hex;
    };

    // A string sent becomes the newest entry (a repeat of the newest is kept once), and
    // stepping starts again after it.
    void Add(Entry sent) {
        if (entries_.empty() || entries_.back().text != sent.text ||
            entries_.back().mode != sent.mode) {
            entries_.push_back(std::move(sent));
        }
        if (entries_.size() > kLimit) {
            entries_.pop_front();
        }
        position_ = entries_.size();
    }

    // Up: the entry before the one shown. `box` is what the box holds; it is given back by
    // Down past the newest entry. nullopt at the oldest.
    std::optional<Entry> Older(const Entry& box) {
        if (position_ == 0) {
            return std::nullopt;
        }
        if (position_ == entries_.size()) {
            draft_ = box;
        }
        return entries_[--position_];
    }

    // Down: the entry after the one shown, then what the box held before stepping began.
    // nullopt when not stepping.
    std::optional<Entry> Newer() {
        if (position_ >= entries_.size()) {
            return std::nullopt;
        }
        ++position_;
        return position_ == entries_.size() ? draft_ : entries_[position_];
    }

private:
    std::deque<Entry> entries_;
    std::size_t position_ = 0;  // entries_.size(): not stepping
    Entry draft_;
};

}  // namespace kestrum
