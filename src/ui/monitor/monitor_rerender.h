#pragma once
// Re-rendering the Data Monitor's text in another notation, a slice at a time.

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "notation/byte_notation.h"
#include "ui/monitor/monitor_text.h"

namespace kestrum {

// One step of a re-render: the text is rewritten from `source` into `target` notation.
struct ModeConversion {
    DisplayMode source;
    DisplayMode target;
};

// Rewrites a MonitorText through conversions into a new MonitorText, streaming through the
// text's own chunks: neither notation is ever held as one whole string. Each colour run is
// converted on its own and keeps its colour (the colour is the only record of who sent what),
// and each burst keeps its arrival time. The source must not change until Step returns true.
// A result that outgrows the capacity empties itself where it overflows, as traffic does.
class MonitorRerender {
public:
    // Cr/Lf pass-through is requested for every conversion, so CR and LF written into Ascii
    // follow `processCrLf`.
    MonitorRerender(const MonitorText& source, std::span<const ModeConversion> conversions,
                    bool processCrLf);

    // Converts for about `budget` (at least one piece); true once the whole text is done. Out
    // of memory, the result is left empty and the work done.
    bool Step(std::chrono::steady_clock::duration budget);
    bool Done() const { return run_ >= source_.RunCount(); }

    // The converted text, complete once Step has returned true.
    MonitorText& Result() { return target_; }

private:
    void NextBurst();
    void StartRun();
    // Converts the source characters [from, to) of the current run.
    void ConvertRange(std::size_t from, std::size_t to);
    void FinishRun();
    // Passes `piece` through every conversion into pending_.
    void Pass(std::string_view piece, bool finish);
    void Emit();

    const MonitorText& source_;
    MonitorText target_;
    std::vector<ModeConverter> converters_;
    std::string stages_[2];  // between conversions
    std::string pending_;    // converted, not yet in target_
    std::size_t run_ = 0;
    bool inRun_ = false;
    std::size_t position_ = 0;  // next source character of the run
    std::size_t runEnd_ = 0;
    QRgb colour_ = 0;
    // A CR LF split between two runs is one break, taken with the first run.
    std::size_t skipTo_ = 0;
    // The next burst of the source to start, and its index.
    ArrivalIndex::Burst nextBurst_;
    std::size_t burstIndex_ = 0;
    std::int64_t arrival_ = kNoArrival;
};

}  // namespace kestrum
