// Start-up, port selection and connection of the main window.

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>

#include "support/main_window_fixture.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using PortStartTest = MainWindowTest;

// What start-up leaves: the port, the four boxes, the state and the Process Cr/Lf button.
QString Shown(Mainfrm& window, const MemorySerialPort& port, const AppState& state) {
    const QAction* crLf = window.ToolbarButton("ProcessCrLf");
    return QStringList{QString::number(port.CommPort()),
                       port.PortOpen() ? "open" : "closed",
                       port.Settings(),
                       window.Combo1().Text(),
                       window.Combo3().Text(),
                       window.Combo4().Text(),
                       window.Combo2().Text(),
                       QString::number(state.MainMode),
                       QString::number(state.ProcessCrLf),
                       crLf->isChecked() ? "pressed" : "released",
                       crLf->text(),
                       crLf->toolTip()}
        .join(" | ");
}

TEST_F(PortStartTest, StartUpTakesTheStoredValuesOrTheirDefaults) {
    struct Case {
        const char* reason;
        std::vector<std::pair<QString, QString>> stored;
        QString shown;
        const char* commPort1 = "";  // the key start-up leaves for port 1
    };
    const QString released = "released | Process Cr/Lf | Display ascii data on separate lines";
    const Case cases[] = {
        {"empty store", {}, "1 | open | 9600,n,8,1 | 1 | 9600 | n,8,1 | Hex | 2 | 0 | " + released},
        {"stored port and its settings reopened, Process on, Decimal",
         {{"CommPort", "3"},
          {"CommPort3", "19200,e,7,1"},
          {"Process", "1"},
          {"Filetype", "Decimal"}},
         "3 | open | 19200,e,7,1 | 3 | 19200 | e,7,1 | Decimal | 3 | 1 | pressed | Show Cr/Lf | "
         "Display ascii Cr and Lf characters"},
        {"port and notation outside their lists",
         {{"CommPort", "7"}, {"Filetype", "Binary"}},
         "1 | open | 9600,n,8,1 | 1 | 9600 | n,8,1 | Hex | 2 | 0 | " + released,
         "9600,n,8,1"},
        {"Process 2 leaves the button as designed",
         {{"Process", "2"}},
         "1 | open | 9600,n,8,1 | 1 | 9600 | n,8,1 | Hex | 2 | 2 | released | Process Cr/Lf | "
         "Display ascii text as separate lines"},
        {"Process not a number is 0",
         {{"Process", "yes"}},
         "1 | open | 9600,n,8,1 | 1 | 9600 | n,8,1 | Hex | 2 | 0 | " + released},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        SettingsStore store(Path(QString::fromLatin1(c.reason) + ".ini"));
        for (const auto& [key, value] : c.stored) {
            store.SaveSetting(key, value);
        }
        MemorySerialPort port;
        ScriptedPrompts prompts;
        AppState state;
        Mainfrm window(state, store, port, prompts);
        window.Form_Load();
        EXPECT_EQ(Shown(window, port, state), c.shown);
        EXPECT_EQ(port.RThreshold(), 1);
        EXPECT_TRUE(prompts.Messages().empty());
        // The handlers that start-up sets off store what they show.
        EXPECT_EQ(store.GetSetting("CommPort", ""), window.Combo1().Text());
        EXPECT_EQ(store.GetSetting("CommPort1", ""), c.commPort1);
        EXPECT_EQ(store.GetSetting("Filetype", ""), window.Combo2().Text());
        EXPECT_EQ(window.Combo4().count(), 9) << "no entry added for a format the list holds";
    }
}

TEST_F(PortStartTest, InvalidPortIsReportedAndBlocksEveryPortAction) {
    port_.SetOpenFailure(2, PortErrorKind::InvalidPortNumber);
    settings_.SaveSetting("CommPort", "2");
    Mainfrm& window = Start();
    ASSERT_EQ(prompts_.Messages(), std::vector<QString>{"Warning: Invalid Port Number"});
    EXPECT_TRUE(Window().Session().BadPort());
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
    EXPECT_FALSE(Window().Session().BadPort());
    EXPECT_TRUE(port_.PortOpen());
}

TEST_F(PortStartTest, PortInUseAndRefusedSettingsShowTheirWarnings) {
    port_.SetOpenFailure(4, PortErrorKind::PortInUse);
    Mainfrm& window = Start();
    window.Combo1().SetText("4");
    EXPECT_EQ(prompts_.Messages().back(), "Warning: Comm port in use by another application");
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_EQ(window.Combo3().Text(), "9600");
    EXPECT_FALSE(Window().Session().BadPort());

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
    EXPECT_FALSE(Window().Session().BadPort());
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
    EXPECT_TRUE(Window().Session().UserDisconnected());
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
    EXPECT_TRUE(Window().Session().UserDisconnected());
    EXPECT_EQ(prompts_.Messages().back(), "Warning: Comm port in use by another application");

    port_.SetOpenFailure(2, std::nullopt);
    button->trigger();
    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(button->text(), "Disconnect");
    EXPECT_EQ(button->toolTip(), "Close the ComPort");
    EXPECT_FALSE(Window().Session().UserDisconnected());
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

}  // namespace
}  // namespace kestrum
