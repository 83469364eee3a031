// The device goes away mid-stream and a new one appears at the same path (a stable name
// such as /dev/serial/by-id/..., played by a link to a pseudo-terminal): the port reopens by
// itself, unless the user turned that off or pressed Disconnect meanwhile.

#include <QAction>
#include <QElapsedTimer>
#include <QFile>

#include "session/port_constants.h"
#include "support/pty_window.h"
#include "ui/main/status_line.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

class ReconnectTest : public PtyWindowTest {
protected:
    // Port 1 is the stable path, linked to the first pseudo-terminal.
    Mainfrm& StartOnLink() {
        link_ = Path("by-id-adapter");
        EXPECT_TRUE(QFile::link(device_->DevicePath(), link_));
        settings_.SaveSetting("Device1", link_);
        settings_.SaveSetting("Filetype", "Ascii");
        port_ = std::make_unique<QtSerialPort>(DevicesFromSettings(settings_));
        return StartOn(*port_);
    }

    // The far end streams, then closes; its path goes with it. Returns once the loss is told.
    void LoseMidStream() {
        const std::size_t told = prompts_.Messages().size();
        {
            PlayedDevice stream(*device_, std::string(64 * 1024, 'a'), /*hangUpWhenSent=*/true);
            ASSERT_TRUE(PumpEventsUntil([&] { return prompts_.Messages().size() > told; }, 10s));
        }
        ASSERT_TRUE(QFile::remove(link_));
        ASSERT_EQ(prompts_.Messages().size(), told + 1);
        EXPECT_TRUE(prompts_.Messages().back().startsWith(port_text::kMsgDeviceLost));
        EXPECT_FALSE(port_->PortOpen());
        EXPECT_GT(MonitorText().size(), 0u);
    }

    // A new pseudo-terminal appears at the same path.
    PtyPair& Reappear() {
        returned_ = std::make_unique<PtyPair>();
        EXPECT_TRUE(QFile::link(returned_->DevicePath(), link_));
        return *returned_;
    }

    QString link_;
    std::unique_ptr<PtyPair> returned_;
};

TEST_F(ReconnectTest, AReturnedDeviceIsReopenedWithinTwoSecondsAndItsBytesShown) {
    Mainfrm& window = StartOnLink();
    ASSERT_TRUE(port_->PortOpen());
    window.Combo3().SetText("19200");
    QString behindTheMessage;
    prompts_.OnMessage([&] { behindTheMessage = window.Status().StateText(); });
    LoseMidStream();
    EXPECT_EQ(behindTheMessage, "Lost - reconnecting...") << "shown before the box opens";
    const std::string shown = MonitorText();

    PumpEventsFor(700ms);  // the watch looks at an empty path meanwhile
    PtyPair& returned = Reappear();
    QElapsedTimer took;
    took.start();
    ASSERT_TRUE(PumpEventsUntil([&] { return port_->PortOpen(); }, 2s)) << "not reopened";
    std::printf("reopened %lld ms after the device appeared\n",
                static_cast<long long>(took.elapsed()));
    EXPECT_EQ(port_->Settings(), "19200,n,8,1") << "the same line settings";
    EXPECT_EQ(returned.DeviceSpeed(), B19200);
    EXPECT_EQ(window.Status().StateText(), "Open");
    ASSERT_TRUE(returned.Write("back"));
    EXPECT_TRUE(PumpEventsUntil([&] { return MonitorText() == shown + "back"; }, 3s));
    EXPECT_EQ(prompts_.Messages().size(), 1u) << "the reopen asks nothing";

    // An adapter that keeps dropping out is told in the status line, not a message each time.
    returned.CloseMaster();
    ASSERT_TRUE(PumpEventsUntil([&] { return !port_->PortOpen(); }, 3s));
    PumpEventsFor(100ms);
    EXPECT_EQ(window.Status().StateText(), "Lost - reconnecting...");
    EXPECT_EQ(prompts_.Messages().size(), 1u);
}

TEST_F(ReconnectTest, NothingIsReopenedWithTheSettingOffOrAfterADisconnect) {
    for (const bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect ? "Disconnect during the watch" : "setting off");
        CloseWindows();
        port_.reset();
        device_ = std::make_unique<PtyPair>();
        const std::size_t told = prompts_.Messages().size();
        settings_.SaveSetting("ReconnectAutomatically", disconnect ? "1" : "0");
        Mainfrm& window = StartOnLink();
        EXPECT_EQ(window.MenuEntry("Reconnectmenu")->isChecked(), disconnect);
        LoseMidStream();
        if (disconnect) {
            ASSERT_TRUE(window.Session().Watch().Watching());
            window.ToolbarButton("ClosePort")->trigger();
            EXPECT_EQ(window.Status().StateText(), "Disconnected");
        } else {
            EXPECT_EQ(window.Status().StateText(), "Lost");
        }
        EXPECT_FALSE(window.Session().Watch().Watching());
        Reappear();
        PumpEventsFor(1500ms);
        EXPECT_FALSE(port_->PortOpen());
        EXPECT_EQ(prompts_.Messages().size(), told + 1);
        ASSERT_TRUE(QFile::remove(link_));
    }
}

}  // namespace
}  // namespace kestrum
