#pragma once
// Storage blocks of the Data Monitor's text model. Both grow by fixed-size chunks:
// an append never copies what is already stored (no vector doubling, so no latency
// spike and no 3x memory peak at 16 MiB), and indexing stays O(1).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace kestrum {

// An array of trivially copyable T in chunks of 2^kChunkBits elements.
template <typename T, unsigned kChunkBits>
class SegmentedArray {
public:
    static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;

    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

    T operator[](std::size_t index) const {
        return chunks_[index >> kChunkBits][index & (kChunkSize - 1)];
    }
    T& operator[](std::size_t index) {
        return chunks_[index >> kChunkBits][index & (kChunkSize - 1)];
    }
    T Back() const { return (*this)[size_ - 1]; }
    T& Back() { return (*this)[size_ - 1]; }

    void PushBack(T value) {
        if (size_ == chunks_.size() * kChunkSize) {
            chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunkSize));
        }
        (*this)[size_] = value;
        ++size_;
    }

    void PopBack() { --size_; }

    void Append(std::span<const T> values) {
        while (!values.empty()) {
            if (size_ == chunks_.size() * kChunkSize) {
                chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunkSize));
            }
            const std::size_t offset = size_ & (kChunkSize - 1);
            const std::size_t room = kChunkSize - offset;
            const std::size_t count = values.size() < room ? values.size() : room;
            T* target = chunks_[size_ >> kChunkBits].get() + offset;
            std::copy(values.begin(), values.begin() + count, target);
            size_ += count;
            values = values.subspan(count);
        }
    }

    // Calls visit(std::span<const T>) for the contiguous pieces of [from, to).
    template <typename Visit>
    void ForEachSpan(std::size_t from, std::size_t to, Visit&& visit) const {
        while (from < to) {
            const std::size_t offset = from & (kChunkSize - 1);
            const std::size_t room = kChunkSize - offset;
            const std::size_t count = to - from < room ? to - from : room;
            visit(std::span<const T>(chunks_[from >> kChunkBits].get() + offset, count));
            from += count;
        }
    }

    // Releases every chunk.
    void Clear() {
        chunks_.clear();
        chunks_.shrink_to_fit();
        size_ = 0;
    }

    std::size_t AllocatedBytes() const {
        return chunks_.size() * kChunkSize * sizeof(T) +
               chunks_.capacity() * sizeof(std::unique_ptr<T[]>);
    }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};

// Start offsets of the lines of a text, in ascending order. Lines are grouped by 64:
// each group keeps the start of its first line and 16-bit offsets of the others, so
// a text of short lines costs about 2 bytes per line. A group whose lines span more
// than 64 KiB (lines of 1 KiB or longer on average) keeps full 32-bit starts.
class LineStartIndex {
public:
    LineStartIndex() { Clear(); }

    std::size_t Count() const { return count_; }
    std::uint32_t operator[](std::size_t line) const;
    std::uint32_t Back() const { return (*this)[count_ - 1]; }

    void PushBack(std::uint32_t start);
    // Moves the last line's start (a CR LF pair completed across two appends).
    void SetBack(std::uint32_t start);

    // The line holding `position`: the last line whose start is at or before it.
    std::size_t LineOf(std::size_t position) const;

    // Back to a single line starting at 0.
    void Clear();

    std::size_t AllocatedBytes() const;

private:
    static constexpr unsigned kGroupBits = 6;
    static constexpr std::size_t kGroupSize = std::size_t{1} << kGroupBits;
    static constexpr std::uint32_t kNarrow = UINT32_MAX;
    static constexpr std::uint32_t kMaxDelta = UINT16_MAX;

    void PopBack();
    void MakeGroupWide(std::size_t group);

    SegmentedArray<std::uint32_t, 12> groupBase_;
    // kNarrow, or where the group's full starts begin in wideStarts_.
    SegmentedArray<std::uint32_t, 12> groupWide_;
    SegmentedArray<std::uint16_t, 13> delta_;  // one per line, relative to the group base
    SegmentedArray<std::uint32_t, 10> wideStarts_;
    std::size_t count_ = 0;
};

// When each burst of the text arrived: its start and its time (milliseconds), in ascending
// order of start. Bursts are grouped by 64: each group keeps its first start and time in full
// and the others as variable-length differences from the one before, so a burst of a few
// characters a millisecond after the last costs about 2 bytes, not 12.
class ArrivalIndex {
public:
    struct Burst {
        std::size_t start = 0;
        std::int64_t time = 0;
    };

    std::size_t Count() const { return count_; }
    Burst operator[](std::size_t index) const;
    Burst Back() const { return last_; }

    // `start` is at or after the last burst's start.
    void PushBack(Burst burst);
    // The last burst starting at or before `position`: its index, or Count() when none does.
    std::size_t IndexOf(std::size_t position) const;

    void Clear();
    std::size_t AllocatedBytes() const;

private:
    static constexpr unsigned kGroupBits = 6;
    static constexpr std::size_t kGroupSize = std::size_t{1} << kGroupBits;

    void PutNumber(std::uint64_t value);
    // Reads the number at `offset` and moves the offset past it.
    std::uint64_t GetNumber(std::size_t& offset) const;
    // Decodes the group's bursts in order until `stop` returns true; returns the last kept.
    template <typename Stop>
    std::pair<std::size_t, Burst> Walk(std::size_t group, Stop&& stop) const;

    SegmentedArray<std::uint32_t, 10> groupStart_;
    SegmentedArray<std::int64_t, 9> groupTime_;
    SegmentedArray<std::uint32_t, 10> groupOffset_;  // where the group's differences begin
    SegmentedArray<std::uint8_t, 14> differences_;
    std::size_t count_ = 0;
    Burst last_;
};

}  // namespace kestrum
