// A flood through ser2net reaches the monitor whole, and ser2net killed in the middle of one is
// one lost device, with nothing shown taken back. Labelled slow: 12 MiB of monitor text is
// quick only in an optimised build.

#include "notation/received_formatter.h"
#include "support/network_window.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

TEST_F(NetworkPortTest, FloodArrivesWholeAndAKilledServerIsOneLossKeepingWhatWasShown) {
    for (const char* scheme : {"rfc2217", "socket"}) {
        SCOPED_TRACE(scheme);
        StartServed(scheme, "Hex");
        ASSERT_TRUE(port_->PortOpen());
        const std::string sent = Pattern(16 * 1024 * 1024);
        PlayedDevice stream(*pty_, sent, /*hangUpWhenSent=*/false);
        constexpr std::size_t kFlood = 4 * 1024 * 1024;
        ASSERT_TRUE(PumpEventsUntil([&] { return MonitorText().size() >= 3 * kFlood; }, 60s));
        const std::string flooded = MonitorText();
        ASSERT_EQ(flooded.size() % 3, 0u);
        ASSERT_EQ(flooded, FormatReceived(std::string_view(sent).substr(0, flooded.size() / 3),
                                          DisplayMode::Hex, false));

        server_->Kill();
        ASSERT_TRUE(PumpEventsUntil([&] { return !Messages().empty(); }, 5s));
        PumpEventsFor(500ms);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_TRUE(Messages()[0].contains(QStringLiteral("127.0.0.1:%1").arg(server_->Port())));
        EXPECT_FALSE(port_->PortOpen());
        const std::string shown = MonitorText();
        ASSERT_EQ(shown.compare(0, flooded.size(), flooded), 0) << "shown text was taken back";
        EXPECT_EQ(shown, FormatReceived(std::string_view(sent).substr(0, shown.size() / 3),
                                        DisplayMode::Hex, false));
    }
}

}  // namespace
}  // namespace kestrum
