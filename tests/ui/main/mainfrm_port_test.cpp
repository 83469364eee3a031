// Start-up, port selection and connection of the main window.

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>

#include "support/main_window_fixture.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/notation_field.h"

namespace kestrum {
namespace {

using PortStartTest = MainWindowTest;

TEST_F(PortStartTest, FirstStartWithEmptyStoreOpensPortOneInHex) {
    Mainfrm& window = Start();
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(port_.CommPort(), 1);
    EXPECT_EQ(port_.Settings(), "9600,n,8,1");
    EXPECT_EQ(port_.RThreshold(), 1);
    EXPECT_EQ(window.Combo1().Text(), "1");
    EXPECT_EQ(window.Combo3().Text(), "9600");
    EXPECT_EQ(window.Combo4().Text(), "n,8,1");
    EXPECT_EQ(window.Combo2().Text(), "Hex");
    EXPECT_EQ(state_.MainMode, 2);
    EXPECT_EQ(state_.ProcessCrLf, 0);
    EXPECT_FALSE(window.ToolbarButton("ProcessCrLf")->isChecked());
    EXPECT_EQ(window.ToolbarButton("ProcessCrLf")->text(), "Process Cr/Lf");
    EXPECT_EQ(state_.VersionText, "Version 1.6.8");
    EXPECT_TRUE(prompts_.Messages().empty());
    // The handlers that start-up sets off store what they always store.
    EXPECT_EQ(settings_.GetSetting("CommPort", ""), "1");
    EXPECT_EQ(settings_.GetSetting("Filetype", ""), "Hex");
    // The format list does not grow for a format it already holds.
    EXPECT_EQ(window.Combo4().count(), 9);
}

TEST_F(PortStartTest, StoredPortAndItsSettingsAreReopened) {
    settings_.SaveSetting("CommPort", "3");
    settings_.SaveSetting("CommPort3", "19200,e,7,1");
    settings_.SaveSetting("Process", "1");
    settings_.SaveSetting("Filetype", "Decimal");
    Mainfrm& window = Start();
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(port_.CommPort(), 3);
    EXPECT_EQ(port_.Settings(), "19200,e,7,1");
    EXPECT_EQ(window.Combo3().Text(), "19200");
    EXPECT_EQ(window.Combo4().Text(), "e,7,1");
    EXPECT_EQ(state_.MainMode, 3);
    EXPECT_EQ(state_.ProcessCrLf, 1);
    EXPECT_TRUE(window.ToolbarButton("ProcessCrLf")->isChecked());
    EXPECT_EQ(window.ToolbarButton("ProcessCrLf")->text(), "Show Cr/Lf");
}

TEST_F(PortStartTest, StoredValuesOutsideTheirListsFallBackToDefaults) {
    settings_.SaveSetting("CommPort", "7");
    settings_.SaveSetting("Filetype", "Binary");
    Mainfrm& window = Start();
    EXPECT_EQ(window.Combo1().Text(), "1");
    EXPECT_EQ(window.Combo2().Text(), "Hex");
    EXPECT_EQ(window.Combo3().Text(), "9600");
    EXPECT_EQ(window.Combo4().Text(), "n,8,1");
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(state_.MainMode, 2);
    EXPECT_EQ(settings_.GetSetting("CommPort1", ""), "9600,n,8,1");
}

TEST_F(PortStartTest, StoredProcessValuesOtherThanZeroOrOne) {
    settings_.SaveSetting("Process", "2");
    Mainfrm& window = Start();
    EXPECT_EQ(state_.ProcessCrLf, 2);
    EXPECT_EQ(window.ToolbarButton("ProcessCrLf")->toolTip(),
              "Display ascii text as separate lines");

    state_ = AppState{};
    settings_.SaveSetting("Process", "yes");
    Mainfrm& again = Start();
    EXPECT_EQ(state_.ProcessCrLf, 0);
    EXPECT_EQ(again.ToolbarButton("ProcessCrLf")->toolTip(),
              "Display ascii data on separate lines");
}

TEST_F(PortStartTest, InvalidPortIsReportedAndBlocksEveryPortAction) {
    port_.SetOpenFailure(2, PortErrorKind::InvalidPortNumber);
    settings_.SaveSetting("CommPort", "2");
    Mainfrm& window = Start();
    ASSERT_EQ(prompts_.Messages(), std::vector<QString>{"Warning: Invalid Port Number"});
    EXPECT_EQ(state_.BadPort, 1);
    EXPECT_FALSE(port_.PortOpen());
    // The number is still stored, so the next start warns again.
    EXPECT_EQ(settings_.GetSetting("Commport", ""), "2");

    window.SendBox().setText("41 ");
    window.SendButton_Click();
    window.ToolbarButton("ClosePort")->trigger();
    EXPECT_FALSE(window.ToolbarButton("ClosePort")->isChecked());
    window.ToolbarButton("SetCom")->trigger();
    window.Combo3_GotFocus();
    EXPECT_EQ(prompts_.Messages().size(), 5u);
    for (const QString& message : prompts_.Messages()) {
        EXPECT_EQ(message, "Warning: Invalid Port Number");
    }
    EXPECT_TRUE(port_.Written().empty());

    // Picking an existing port clears the condition.
    window.Combo1().SetText("1");
    EXPECT_EQ(state_.BadPort, 0);
    EXPECT_TRUE(port_.PortOpen());
}

TEST_F(PortStartTest, PortInUseAndRefusedSettingsShowTheirWarnings) {
    port_.SetOpenFailure(4, PortErrorKind::PortInUse);
    Mainfrm& window = Start();
    window.Combo1().SetText("4");
    EXPECT_EQ(prompts_.Messages().back(), "Warning: Comm port in use by another application");
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_EQ(window.Combo3().Text(), "9600");
    EXPECT_EQ(state_.BadPort, 0);

    port_.SetOpenFailure(4, std::nullopt);
    settings_.SaveSetting("CommPort2", "115200,n,8,1");
    port_.RefuseBaud(115200);
    window.Combo1().SetText("2");
    EXPECT_EQ(prompts_.Messages().back(), "Warning: This baud rate not supported for this port");
    EXPECT_FALSE(port_.PortOpen());
}

TEST_F(PortStartTest, AnyOtherOpenFailureIsExplainedNotSwallowed) {
    port_.FailNext(MemorySerialPort::Operation::Open, PortErrorKind::Other);
    Start();
    ASSERT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_TRUE(prompts_.Messages()[0].startsWith("Warning: The Com port could not be opened"));
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_EQ(state_.BadPort, 0);
}

TEST_F(PortStartTest, RefusedBaudWhileOpenKeepsThePreviousSettings) {
    Mainfrm& window = Start();
    port_.RefuseBaud(115200);
    window.Combo3().SetText("115200");
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{"Warning: This baud rate not supported for this port"});
    EXPECT_EQ(window.Combo3().Text(), "9600");
    EXPECT_EQ(port_.Settings(), "9600,n,8,1");
    EXPECT_EQ(settings_.GetSetting("CommPort1", ""), "9600,n,8,1");

    port_.RefuseSettings("9600,s,7,1");
    window.Combo4().SetText("s,7,1");
    EXPECT_EQ(prompts_.Messages().back(), "Warning: This format not supported for this port");
    EXPECT_EQ(window.Combo4().Text(), "n,8,1");

    // An accepted change is stored for the port shown, and only for it.
    window.Combo3().SetText("19200");
    EXPECT_EQ(port_.Settings(), "19200,n,8,1");
    EXPECT_EQ(settings_.GetSetting("CommPort1", ""), "19200,n,8,1");
    EXPECT_EQ(settings_.GetSetting("CommPort2", "absent"), "absent");
}

TEST_F(PortStartTest, FormatListGainsAnEntryOnlyOnce) {
    settings_.SaveSetting("CommPort2", "9600,m,8,2");
    Mainfrm& window = Start();
    window.Combo1().SetText("2");
    window.Combo1().SetText("1");
    window.Combo1().SetText("2");
    EXPECT_EQ(window.Combo4().count(), 10);
    EXPECT_EQ(window.Combo4().Text(), "m,8,2");
}

TEST_F(PortStartTest, DisconnectAndConnect) {
    Mainfrm& window = Start();
    QAction* button = window.ToolbarButton("ClosePort");
    button->trigger();  // pressed: disconnect
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_EQ(state_.UserDisconnected, 1);
    EXPECT_EQ(button->text(), "Connect");
    EXPECT_EQ(button->toolTip(), "Open the ComPort");

    window.SendBox().setText("41 ");
    window.SendButton_Click();
    EXPECT_EQ(prompts_.Messages().back(), "The Port is disconnected");
    EXPECT_TRUE(port_.Written().empty());

    // A port picked while disconnected is configured but stays closed.
    window.Combo1().SetText("2");
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_EQ(port_.CommPort(), 2);

    // Connecting fails when another program took the port meanwhile.
    port_.SetOpenFailure(2, PortErrorKind::PortInUse);
    button->trigger();
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(state_.UserDisconnected, 1);
    EXPECT_EQ(prompts_.Messages().back(), "Warning: Comm port in use by another application");

    port_.SetOpenFailure(2, std::nullopt);
    button->trigger();
    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(button->text(), "Disconnect");
    EXPECT_EQ(button->toolTip(), "Close the ComPort");
    EXPECT_EQ(state_.UserDisconnected, 0);
}

TEST_F(PortStartTest, FocusReturningFromAMessageBoxDoesNotWarnAgain) {
    port_.SetOpenFailure(1, PortErrorKind::InvalidPortNumber);
    Mainfrm& window = Start();
    const std::size_t before = prompts_.Messages().size();
    QFocusEvent fromUser(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&window.Combo3(), &fromUser);
    QFocusEvent backFromBox(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&window.Combo3(), &backFromBox);
    EXPECT_EQ(prompts_.Messages().size(), before + 1);
}

TEST_F(PortStartTest, LostDeviceIsReportedAndKeepsTheMonitor) {
    Mainfrm& window = Start();
    port_.InjectReceived("AB");
    port_.LoseDevice("The device was unplugged.");
    EXPECT_FALSE(port_.PortOpen());
    ASSERT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_TRUE(prompts_.Messages()[0].contains("The device was unplugged."));
    EXPECT_EQ(MonitorText(), "41 42 ");

    // The next send opens the port again.
    window.SendBox().setText("43 ");
    window.SendButton_Click();
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(port_.Written(), "C");
}

}  // namespace
}  // namespace kestrum
