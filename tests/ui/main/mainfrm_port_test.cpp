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

// Values outside their lists: BadSettings.
TEST_F(PortStartTest, StartUpTakesTheStoredValuesOrTheirDefaults) {
    struct Case {
        const char* reason;
        std::vector<std::pair<QString, QString>> stored;
        QString shown;
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
        {"the high rates of USB adapters are in the list",
         {{"CommPort", "2"}, {"CommPort2", "921600,n,8,1"}},
         "2 | open | 921600,n,8,1 | 2 | 921600 | n,8,1 | Hex | 2 | 0 | " + released},
        {"Process 2 leaves the button as designed",
         {{"Process", "2"}},
         "1 | open | 9600,n,8,1 | 1 | 9600 | n,8,1 | Hex | 2 | 2 | released | Process Cr/Lf | "
         "Display ascii text as separate lines"},
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
        EXPECT_TRUE(prompts.Messages().empty());
        // The handlers that start-up sets off store what they show.
        EXPECT_EQ(store.GetSetting("CommPort", ""), window.Combo1().Text());
        EXPECT_EQ(store.GetSetting("CommPort1", ""), "");
        EXPECT_EQ(store.GetSetting("Filetype", ""), window.Combo2().Text());
        EXPECT_EQ(window.Combo4().count(), 9) << "no entry added for a format the list holds";
    }
    // The added rates stand where their values put them, so the whole list rises.
    const DropDownList& bauds = Start().Combo3();
    for (int i = 1; i < bauds.count(); ++i) {
        EXPECT_LT(bauds.itemText(i - 1).toInt(), bauds.itemText(i).toInt()) << i;
    }
}

// The rules and their texts are PortSession's own test; here only what the window shows.
TEST_F(PortStartTest, InvalidPortBlocksTheWindowsPortActions) {
    port_.SetOpenFailure(2, PortErrorKind::InvalidPortNumber);
    settings_.SaveSetting("CommPort", "2");
    Mainfrm& window = Start();
    window.SendBox().setText("41 ");
    window.SendButton_Click();
    window.ToolbarButton("ClosePort")->trigger();
    EXPECT_FALSE(window.ToolbarButton("ClosePort")->isChecked()) << "the press is put back";
    window.ToolbarButton("SetCom")->trigger();
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>(4, "Warning: Invalid Port Number"));
    EXPECT_TRUE(port_.Written().empty());
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

TEST_F(PortStartTest, ConnectButtonShowsTheUsersIntent) {
    Mainfrm& window = Start();
    QAction* button = window.ToolbarButton("ClosePort");
    button->trigger();  // pressed: disconnect
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_EQ(button->text(), "Connect");
    EXPECT_EQ(button->toolTip(), "Open the ComPort");

    // Connecting fails when another program took the port meanwhile: still "Connect".
    port_.SetOpenFailure(1, PortErrorKind::PortInUse);
    button->trigger();
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(button->text(), "Connect");

    port_.SetOpenFailure(1, std::nullopt);
    button->trigger();
    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(button->text(), "Disconnect");
    EXPECT_EQ(button->toolTip(), "Close the ComPort");
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
