// The serial device disappears (a USB adapter pulled: the pseudo-terminal hangs up) while the
// main window receives from it, and later comes back under another device name. (A gone device
// picked is an invalid port number: QtSerialPortTest; picked again once back: ComfrmTest.)

#include <QLatin1String>

#include "notation/received_formatter.h"
#include "session/port_constants.h"
#include "support/pty_window.h"
#include "ui/main/main_constants.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

// Bytes whose Hex text tells where in the stream each one was.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

bool ReportsLoss(const ScriptedPrompts& prompts, const QString& device) {
    return prompts.Messages().size() == 1 &&
           prompts.Messages()[0].startsWith(QLatin1String(port_text::kMsgDeviceLost)) &&
           prompts.Messages()[0].contains(device);
}

TEST_F(PtyWindowTest, DeviceLostMidStreamKeepsWhatWasShownAndAReturnedDeviceTakesASend) {
    Mainfrm& window = Start("Hex");
    ASSERT_TRUE(port_->PortOpen());
    const QString lostDevice = device_->DevicePath();
    const std::string sent = Pattern(4 * 1024 * 1024);

    std::vector<std::string> seen;  // what the monitor showed while the stream ran
    {
        PlayedDevice stream(*device_, sent, /*hangUpWhenSent=*/true);
        ASSERT_TRUE(PumpEventsUntil(
            [&] {
                if (seen.empty() || seen.back().size() != MonitorText().size()) {
                    seen.push_back(MonitorText());
                }
                return !prompts_.Messages().empty();
            },
            30s))
            << "no loss reported";
    }
    PumpEventsFor(300ms);

    EXPECT_TRUE(ReportsLoss(prompts_, lostDevice))
        << "one message naming the device: " << prompts_.Messages().size();
    EXPECT_FALSE(port_->PortOpen());
    const std::string shown = MonitorText();
    for (const std::string& earlier : seen) {
        ASSERT_EQ(shown.compare(0, earlier.size(), earlier), 0) << "shown text was taken back";
    }
    // Every byte shown is the device's, in order; the kernel may drop what was still in the
    // terminal's buffer at the hang-up, never a byte in the middle.
    ASSERT_EQ(shown.size() % 3, 0u);
    const std::size_t received = shown.size() / 3;
    ASSERT_GT(received, 0u);
    EXPECT_EQ(shown,
              FormatReceived(std::string_view(sent).substr(0, received), DisplayMode::Hex, false));

    PtyPair& returned = ReturnDevice();
    window.SendBox().setText("41 42 ");
    window.SendButton_Click();
    EXPECT_EQ(returned.Read(2), "AB") << "the send reopens the port on the returned device";
    EXPECT_TRUE(port_->PortOpen());
    EXPECT_EQ(MonitorText(), shown + "41 42 ");
    ASSERT_TRUE(returned.Write("\x10"));
    EXPECT_TRUE(PumpEventsUntil([&] { return MonitorText() == shown + "41 42 10 "; }, 3s))
        << MonitorText().substr(shown.size());
    EXPECT_EQ(prompts_.Messages().size(), 1u);
}

}  // namespace
}  // namespace kestrum
