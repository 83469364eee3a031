// The Line menu and the status line on the in-memory port: RTS, DTR and flow control per
// port, Send Break, the input lamps, the counters, and ports without control lines.

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "session/line_control.h"
#include "support/main_window_fixture.h"
#include "ui/main/line_menu.h"
#include "ui/main/status_line.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using Lines = MemorySerialPort::OutputLines;
using LineControlsTest = MainWindowTest;

TEST_F(LineControlsTest, OutputLinesAndFlowReachThePortPerPortAtOpenAndOnToggle) {
    settings_.SaveSetting("RequestToSend2", "0");
    settings_.SaveSetting("FlowControl2", "XonXoff");
    settings_.SaveSetting("FlowControl3", "RtsCts");
    Mainfrm& window = Start();
    ASSERT_EQ(port_.LinesAtOpen(), (std::vector<Lines>{{true, true, FlowControl::None}}));

    window.MenuEntry("DataTerminalReadymenu")->trigger();
    EXPECT_EQ(port_.Lines(), (Lines{true, false, FlowControl::None})) << "toggled on the open port";
    EXPECT_EQ(settings_.GetSetting("DataTerminalReady1", ""), "0");

    window.Combo1().SetText("2");
    EXPECT_EQ(port_.LinesAtOpen().back(), (Lines{false, true, FlowControl::Software}));
    EXPECT_FALSE(window.MenuEntry("RequestToSendmenu")->isChecked());
    window.Combo1().SetText("3");
    EXPECT_EQ(port_.LinesAtOpen().back(), (Lines{true, true, FlowControl::Hardware}));
    EXPECT_FALSE(window.MenuEntry("RequestToSendmenu")->isEnabled()) << "the handshake owns RTS";
    EXPECT_EQ(window.MenuEntry("RequestToSendmenu")->toolTip(), line_ui::kTipHandshake);
    window.Combo1().SetText("1");
    EXPECT_EQ(port_.LinesAtOpen().back(), (Lines{true, false, FlowControl::None}))
        << "port 1 kept its DTR";
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(LineControlsTest, BreakTakesTheStoredLengthAndLampsFollowTheFarEnd) {
    settings_.SaveSetting("BreakLengthMs", "400");
    Mainfrm& window = Start();
    window.MenuEntry("SendBreakmenu")->trigger();
    EXPECT_EQ(port_.Breaks(), std::vector<int>{400});

    port_.InjectInputLines({.cts = true, .dcd = true});
    EXPECT_TRUE(window.Status().LampLit(0));
    EXPECT_FALSE(window.Status().LampLit(1));
    EXPECT_TRUE(window.Status().LampLit(2));
    port_.InjectInputLines({.ri = true});
    EXPECT_FALSE(window.Status().LampLit(0));
    EXPECT_TRUE(window.Status().LampLit(3));
}

TEST_F(LineControlsTest, MalformedStoredValuesGiveDefaultsAndOneWarning) {
    settings_.SaveSetting("RequestToSend1", "maybe");
    settings_.SaveSetting("FlowControl1", "sometimes");
    settings_.SaveSetting("BreakLengthMs", "-5");
    Mainfrm& window = Start();
    window.MenuEntry("SendBreakmenu")->trigger();
    EXPECT_EQ(port_.LinesAtOpen().back(), (Lines{true, true, FlowControl::None}));
    EXPECT_EQ(port_.Breaks(), std::vector<int>{250});
    ASSERT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_TRUE(prompts_.Messages()[0].contains("RequestToSend1"))
        << prompts_.Messages()[0].toStdString();
}

TEST_F(LineControlsTest, APortWithoutControlLinesDisablesTheItemsAndSaysWhy) {
    port_.SetControlLines(false);
    Mainfrm& window = Start();
    for (const char* name : {"RequestToSendmenu", "DataTerminalReadymenu", "SendBreakmenu"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(window.MenuEntry(name)->isEnabled());
        EXPECT_EQ(window.MenuEntry(name)->toolTip(), line_ui::kTipNoControlLines);
    }
    EXPECT_TRUE(window.MenuEntry("Reconnectmenu")->isEnabled());
    EXPECT_TRUE(prompts_.Messages().empty());

    // Closed, DTR can be set for the next open (a board that resets on DTR); a break cannot.
    window.ToolbarButton("ClosePort")->trigger();  // Disconnect
    ASSERT_FALSE(port_.PortOpen());
    EXPECT_TRUE(window.MenuEntry("DataTerminalReadymenu")->isEnabled());
    EXPECT_FALSE(window.MenuEntry("SendBreakmenu")->isEnabled());
    EXPECT_EQ(window.MenuEntry("SendBreakmenu")->toolTip(), line_ui::kTipClosed);
}

TEST_F(LineControlsTest, CountersAreExactAfterAFloodAndStartAgainAtClear) {
    settings_.SaveSetting("Filetype", "Ascii");
    Mainfrm& window = Start();
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 1024; ++i) {
        ASSERT_TRUE(port_.InjectReceived(chunk));
    }
    window.SendBox().setText("hello");
    window.SendButton_Click();
    for (LineError error :
         {LineError::Framing, LineError::Parity, LineError::BreakReceived, LineError::Framing}) {
        port_.InjectLineError(error);
    }
    StatusLine& status = window.Status();
    status.Refresh();
    EXPECT_EQ(status.CountsText(), "Rx 4194304  Tx 5");
    EXPECT_EQ(status.ErrorsText(), "Errors 4");
    EXPECT_TRUE(prompts_.Messages().empty()) << "line errors are counted, never a message";

    window.MenuEntry("Clearmenu")->trigger();
    status.Refresh();
    EXPECT_EQ(status.CountsText(), "Rx 0  Tx 0");
    EXPECT_EQ(status.ErrorsText(), "Errors 0");

    // Past 2^63 and up to the top the counts hold; they never wrap.
    TrafficCounters& counters = window.Session().Counters();
    counters.AddReceived(std::uint64_t{1} << 63);
    counters.AddReceived(std::uint64_t{1} << 63);
    counters.AddReceived(7);
    EXPECT_EQ(counters.Received(), ~std::uint64_t{0});
}

// Another feature's state (a capture) is CaptureMenuTest's.
TEST_F(LineControlsTest, StatusLineShowsDeviceStateAndNotices) {
    const QString stable =
        "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_"
        "Controller_D-if00-port0";
    settings_.SaveSetting("Device1", stable);
    Mainfrm& window = Start();
    StatusLine& status = window.Status();
    EXPECT_EQ(status.DeviceText(), stable + "  9600,n,8,1");
    window.show();
    EXPECT_LE(window.minimumSizeHint().width(), 787) << "a long path never widens the window";
    EXPECT_EQ(status.StateText(), "Open");
    // A notice belongs to the device and the open that told it.
    const QString note = "Line settings cannot be applied to a raw network stream";
    emit port_.Notice(note);
    window.Combo3().SetText("19200");
    EXPECT_EQ(status.NoticeText(), note) << "a settings change keeps it";
    window.Combo1().SetText("2");
    EXPECT_EQ(status.NoticeText(), "") << "a port pick clears it";
    emit port_.Notice(note);
    settings_.SaveSetting("Device2", "/dev/ttyUSB7");
    window.Session().ChangeDevice("/dev/ttyUSB8");
    EXPECT_EQ(status.NoticeText(), "") << "a device change clears it";
    emit port_.Notice(note);
    window.ToolbarButton("ClosePort")->trigger();
    EXPECT_EQ(status.StateText(), "Disconnected");
    EXPECT_EQ(status.NoticeText(), "") << "Disconnect clears it";
    EXPECT_EQ(window.sizeHint().height(),
              559 + window.menuBar()->sizeHint().height() + status.height())
        << "the client area keeps its size; the window grows by the status line";
}

}  // namespace
}  // namespace kestrum
