// The serial device disappears while the text file sender is sending to it: the loss is said
// once, the send stops, what was echoed stays and is only what went out, and the same file
// goes out whole to the device once it is back.

#include <QLatin1String>
#include <QSignalSpy>

#include "session/port_constants.h"
#include "support/pty_window.h"
#include "ui/main/main_constants.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

constexpr int kLines = 8000;

// The file as written, and as it goes out (the sender ends every line with CR LF); and as it
// is echoed in Ascii without Process Cr/Lf.
struct TextFile {
    std::string sent;
    std::string echo;
};

TextFile Lines() {
    TextFile file;
    for (int i = 0; i < kLines; ++i) {
        const std::string line = "line " + std::to_string(100000 + i) + " of the file";
        file.sent += line + "\r\n";
        file.echo += line + "^M^J";
    }
    return file;
}

using SenderDeviceLossTest = PtyWindowTest;

TEST_F(SenderDeviceLossTest, LossMidSendStopsItOnceAndTheReturnedDeviceGetsTheWholeFile) {
    const TextFile file = Lines();
    Sendfrm& sender = StartSender(file.sent);
    ASSERT_TRUE(port_->PortOpen());
    const QString lostDevice = device_->DevicePath();
    QSignalSpy finished(&sender, &Sendfrm::SendFinished);
    {
        PlayedDevice device(*device_, "", false, /*hangUpAfterReading=*/file.sent.size() / 4);
        sender.SendButton_Click();
        ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 60s))
            << "the send went on after the device was lost";
        const std::string received = device.Received();
        EXPECT_TRUE(device.HungUp());
        EXPECT_EQ(received, file.sent.substr(0, received.size()));
    }
    PumpEventsFor(300ms);
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(prompts_.Messages().size(), 1u) << prompts_.Messages().back().toStdString();
    EXPECT_TRUE(prompts_.Messages()[0].startsWith(QLatin1String(port_text::kMsgDeviceLost)));
    EXPECT_TRUE(prompts_.Messages()[0].contains(lostDevice));
    EXPECT_FALSE(port_->PortOpen());
    // Whole lines, each of which went to the port, and not all of them.
    const std::string echoed = MonitorText();
    EXPECT_EQ(echoed, file.echo.substr(0, echoed.size()));
    EXPECT_TRUE(echoed.empty() || echoed.ends_with("^M^J"));
    EXPECT_LT(echoed.size(), file.echo.size());

    PtyPair& returned = ReturnDevice();
    PlayedDevice device(returned, "", false);
    sender.SendButton_Click();
    ASSERT_TRUE(PumpEventsUntil([&] { return !sender.Sending(); }, 60s));
    ASSERT_TRUE(PumpEventsUntil([&] { return device.Count() >= file.sent.size(); }, 10s))
        << device.Count() << " of " << file.sent.size();
    EXPECT_TRUE(device.Received() == file.sent);
    EXPECT_EQ(MonitorText(), echoed + file.echo);
    EXPECT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_EQ(finished.count(), 2);
}

}  // namespace
}  // namespace kestrum
