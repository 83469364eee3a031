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

void ArrivalIndex::PutNumber(std::uint64_t value) {
    while (value >= 0x80) {
        differences_.PushBack(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    differences_.PushBack(static_cast<std::uint8_t>(value));
}

std::uint64_t ArrivalIndex::GetNumber(std::size_t& offset) const {
    std::uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
        const std::uint8_t byte = differences_[offset++];
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (byte < 0x80) {
            return value;
        }
    }
}

void ArrivalIndex::PushBack(Burst burst) {
    if ((count_ & (kGroupSize - 1)) == 0) {
        groupStart_.PushBack(static_cast<std::uint32_t>(burst.start));
        groupTime_.PushBack(burst.time);
        groupOffset_.PushBack(static_cast<std::uint32_t>(differences_.Size()));
    } else {
        PutNumber(burst.start - last_.start);
        // Zigzag: a clock set back gives a small negative difference, kept small.
        const auto difference = static_cast<std::uint64_t>(burst.time - last_.time);
        PutNumber((difference << 1) ^ (burst.time < last_.time ? ~std::uint64_t{0} : 0));
    }
    last_ = burst;
    ++count_;
}

template <typename Stop>
std::pair<std::size_t, ArrivalIndex::Burst> ArrivalIndex::Walk(std::size_t group,
                                                               Stop&& stop) const {
    std::size_t index = group << kGroupBits;
    Burst burst{groupStart_[group], groupTime_[group]};
    std::size_t offset = groupOffset_[group];
    const std::size_t end = std::min(count_, index + kGroupSize);
    while (index + 1 < end) {
        std::size_t at = offset;
        Burst next = burst;
        next.start += GetNumber(at);
        const std::uint64_t zigzag = GetNumber(at);
        next.time += static_cast<std::int64_t>((zigzag >> 1) ^ (~(zigzag & 1) + 1));
        if (stop(index + 1, next)) {
            break;
        }
        burst = next;
        offset = at;
        ++index;
    }
    return {index, burst};
}

ArrivalIndex::Burst ArrivalIndex::operator[](std::size_t index) const {
    return Walk(index >> kGroupBits, [index](std::size_t at, const Burst&) { return at > index; })
        .second;
}

std::size_t ArrivalIndex::IndexOf(std::size_t position) const {
    if (count_ == 0 || groupStart_[0] > position) {
        return count_;
    }
    std::size_t low = 0;
    std::size_t high = groupStart_.Size();
    while (high - low > 1) {
        const std::size_t mid = low + (high - low) / 2;
        if (groupStart_[mid] <= position) {
            low = mid;
        } else {
            high = mid;
        }
    }
    return Walk(low, [position](std::size_t, const Burst& next) { return next.start > position; })
        .first;
}

void ArrivalIndex::Clear() {
    groupStart_.Clear();
    groupTime_.Clear();
    groupOffset_.Clear();
    differences_.Clear();
    count_ = 0;
    last_ = {};
}

std::size_t ArrivalIndex::AllocatedBytes() const {
    return groupStart_.AllocatedBytes() + groupTime_.AllocatedBytes() +
           groupOffset_.AllocatedBytes() + differences_.AllocatedBytes();
}

}  // namespace kestrum
