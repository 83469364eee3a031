#include "ui/monitor/monitor_storage.h"

#include <algorithm>

namespace kestrum {

std::uint32_t LineStartIndex::operator[](std::size_t line) const {
    const std::size_t group = line >> kGroupBits;
    const std::uint32_t wide = groupWide_[group];
    if (wide == kNarrow) {
        return groupBase_[group] + delta_[line];
    }
    return wideStarts_[wide + (line & (kGroupSize - 1))];
}

void LineStartIndex::PushBack(std::uint32_t start) {
    const std::size_t line = count_;
    const std::size_t group = line >> kGroupBits;
    if ((line & (kGroupSize - 1)) == 0) {
        groupBase_.PushBack(start);
        groupWide_.PushBack(kNarrow);
        delta_.PushBack(0);
        ++count_;
        return;
    }
    const std::uint32_t delta = start - groupBase_[group];
    if (groupWide_[group] == kNarrow && delta > kMaxDelta) {
        MakeGroupWide(group);
    }
    if (groupWide_[group] == kNarrow) {
        delta_.PushBack(static_cast<std::uint16_t>(delta));
    } else {
        delta_.PushBack(0);
        wideStarts_.PushBack(start);
    }
    ++count_;
}

void LineStartIndex::MakeGroupWide(std::size_t group) {
    // Only the last group grows, so its full starts go to the end of wideStarts_.
    const std::size_t first = group << kGroupBits;
    groupWide_[group] = static_cast<std::uint32_t>(wideStarts_.Size());
    for (std::size_t line = first; line < count_; ++line) {
        wideStarts_.PushBack(groupBase_[group] + delta_[line]);
    }
}

void LineStartIndex::PopBack() {
    const std::size_t line = count_ - 1;
    const std::size_t group = line >> kGroupBits;
    if (groupWide_[group] != kNarrow) {
        wideStarts_.PopBack();
    }
    delta_.PopBack();
    if ((line & (kGroupSize - 1)) == 0) {
        groupBase_.PopBack();
        groupWide_.PopBack();
    }
    --count_;
}

void LineStartIndex::SetBack(std::uint32_t start) {
    PopBack();
    PushBack(start);
}

std::size_t LineStartIndex::LineOf(std::size_t position) const {
    // Binary search over the group bases first, then within the group.
    std::size_t low = 0;
    std::size_t high = groupBase_.Size();
    while (high - low > 1) {
        const std::size_t mid = low + (high - low) / 2;
        if (groupBase_[mid] <= position) {
            low = mid;
        } else {
            high = mid;
        }
    }
    std::size_t first = low << kGroupBits;
    std::size_t last = std::min(count_, first + kGroupSize);  // exclusive
    while (last - first > 1) {
        const std::size_t mid = first + (last - first) / 2;
        if ((*this)[mid] <= position) {
            first = mid;
        } else {
            last = mid;
        }
    }
    return first;
}

void LineStartIndex::Clear() {
    groupBase_.Clear();
    groupWide_.Clear();
    delta_.Clear();
    wideStarts_.Clear();
    count_ = 0;
    PushBack(0);
}

std::size_t LineStartIndex::AllocatedBytes() const {
    return groupBase_.AllocatedBytes() + groupWide_.AllocatedBytes() + delta_.AllocatedBytes() +
           wideStarts_.AllocatedBytes();
}

}  // namespace kestrum
