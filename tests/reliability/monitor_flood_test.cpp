// A device floods the main window with 64 MiB through a pseudo-terminal. The Data Monitor
// holds at most its capacity: when an append would pass it, the monitor is emptied and the new
// data kept, so the newest data is always shown. The event loop keeps running throughout.
// (How fast the flood is shown is measured in bench/, not here.)

#include <algorithm>

#include "notation/received_formatter.h"
#include "support/pty_window.h"
#include "support/reliability_helpers.h"
#include "ui/monitor/monitor_constants.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kFloodBytes = std::size_t{64} * 1024 * 1024;
// Generous: a responsive window answers within a frame or two; two seconds only catches a
// window frozen by the flood.
constexpr qint64 kLongestAcceptableGapMs = 2000;

TEST_F(PtyWindowTest, FloodOf64MiBKeepsTheNewestDataWithinCapacityAndTheLoopRunning) {
    Mainfrm& window = Start("Hex");
    ASSERT_TRUE(port_->PortOpen());
    std::string flood(kFloodBytes, '\0');
    for (std::size_t i = 0; i < flood.size(); ++i) {
        flood[i] = static_cast<char>(i * 7 % 253);
    }
    flood += "the newest data";
    const kestrum::MonitorText& text = window.Monitor().Text();
    const std::uint64_t generationBefore = text.Generation();
    const std::string tailShown = FormatReceived("the newest data", DisplayMode::Hex, false);
    const auto showsTail = [&] {
        const std::size_t size = text.Size();
        return size >= tailShown.size() &&
               text.TextRange(size - tailShown.size(), size) == tailShown;
    };

    GapMeter meter;
    PlayedDevice device(*device_, flood, /*hangUpWhenSent=*/false);
    ASSERT_TRUE(PumpEventsUntil([&] { return device.Sent() && showsTail(); }, 600s))
        << device.Written() << " bytes written, " << text.Size() << " characters shown";

    // 3 characters per byte in Hex: the monitor overflowed and was emptied more than once.
    EXPECT_LE(text.Size(), kMonitorCapacity);
    EXPECT_GE(text.Generation() - generationBefore, 2u);
    // What is shown is the newest stretch of the flood, every byte of it, in order.
    ASSERT_EQ(text.Size() % 3, 0u);
    const std::size_t shownBytes = text.Size() / 3;
    EXPECT_TRUE(text.Text() ==
                FormatReceived(std::string_view(flood).substr(flood.size() - shownBytes),
                               DisplayMode::Hex, false))
        << "the monitor does not hold the newest " << shownBytes << " bytes";
    EXPECT_LT(meter.LongestMs(), kLongestAcceptableGapMs) << "the event loop stalled";
    EXPECT_TRUE(prompts_.Messages().empty());
    RecordProperty("LongestEventLoopGapMs", static_cast<int>(meter.LongestMs()));
}

}  // namespace
}  // namespace kestrum
