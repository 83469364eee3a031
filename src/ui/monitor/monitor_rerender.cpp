#include "ui/monitor/monitor_rerender.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

namespace kestrum {

namespace {
// Source characters converted in one go: one storage chunk, so the buffers stay in cache.
constexpr std::size_t kPieceChars = std::size_t{1} << 16;
// The clock is read after this many characters or pieces (bursts can be a few bytes each).
constexpr std::size_t kCharsPerClockRead = std::size_t{1} << 12;
constexpr std::size_t kPiecesPerClockRead = 64;
}  // namespace

MonitorRerender::MonitorRerender(const MonitorText& source,
                                 std::span<const ModeConversion> conversions, bool processCrLf)
    : source_(source), target_(source.Capacity()) {
    nextBurst_ =
        source.ArrivalCount() > 0 ? source.Arrival(0) : ArrivalIndex::Burst{SIZE_MAX, kNoArrival};
    for (const ModeConversion& conversion : conversions) {
        if (conversion.source != conversion.target) {
            converters_.emplace_back(conversion.source, conversion.target, processCrLf);
        }
    }
}

bool MonitorRerender::Step(std::chrono::steady_clock::duration budget) {
    const auto deadline = std::chrono::steady_clock::now() + budget;
    std::size_t chars = 0;
    std::size_t pieces = 0;
    try {
        while (!Done()) {
            if (!inRun_) {
                StartRun();
            }
            while (position_ < runEnd_) {
                while (nextBurst_.start <= position_) {
                    arrival_ = nextBurst_.time;
                    NextBurst();
                }
                std::size_t end = std::min({position_ + kPieceChars, runEnd_, nextBurst_.start});
                // A CR LF is one break: never cut between its two characters.
                if (end < runEnd_ && source_.At(end - 1) == '\r' && source_.At(end) == '\n') {
                    ++end;
                }
                ConvertRange(position_, end);
                chars += end - position_;
                position_ = end;
                if ((chars >= kCharsPerClockRead || ++pieces >= kPiecesPerClockRead)) {
                    if (std::chrono::steady_clock::now() >= deadline) {
                        return false;
                    }
                    chars = pieces = 0;
                }
            }
            FinishRun();
        }
    } catch (const std::bad_alloc&) {
        target_.Clear();
        run_ = source_.RunCount();
    } catch (const std::length_error&) {
        target_.Clear();
        run_ = source_.RunCount();
    }
    return true;
}

void MonitorRerender::NextBurst() {
    nextBurst_ = ++burstIndex_ < source_.ArrivalCount() ? source_.Arrival(burstIndex_)
                                                        : ArrivalIndex::Burst{SIZE_MAX, kNoArrival};
}

void MonitorRerender::StartRun() {
    const ColourSegment run = source_.Run(run_);
    position_ = std::max(run.from, skipTo_);
    runEnd_ = run.to;
    colour_ = run.colour;
    inRun_ = true;
}

void MonitorRerender::ConvertRange(std::size_t from, std::size_t to) {
    source_.ForEachTextPiece(from, to, [this](std::string_view piece) { Pass(piece, false); });
    Emit();
}

void MonitorRerender::FinishRun() {
    Pass({}, true);
    Emit();
    skipTo_ = runEnd_ < source_.Size() && runEnd_ > 0 && source_.At(runEnd_ - 1) == '\r' &&
                      source_.At(runEnd_) == '\n'
                  ? runEnd_ + 1
                  : 0;
    inRun_ = false;
    ++run_;
}

void MonitorRerender::Pass(std::string_view piece, bool finish) {
    if (converters_.empty()) {
        pending_.append(piece);
        return;
    }
    std::string_view current = piece;
    for (std::size_t i = 0; i < converters_.size(); ++i) {
        const bool last = i + 1 == converters_.size();
        std::string& out = last ? pending_ : stages_[i % 2];
        if (!last) {
            out.clear();
        }
        converters_[i].Feed(current, out);
        if (finish) {
            converters_[i].Finish(out);
        }
        current = out;
    }
}

void MonitorRerender::Emit() {
    if (!pending_.empty()) {
        target_.AppendText(pending_, colour_, arrival_);
        pending_.clear();
    }
}

}  // namespace kestrum
