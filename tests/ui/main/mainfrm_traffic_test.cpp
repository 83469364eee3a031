// Sending, receiving and the display mode of the main window, on the in-memory port. (What a
// send writes, echoes, counts and tells: the traffic path's test; end to end on a pseudo-terminal:
// the device-loss, port-in-use and port-settings device tests.)

#include <QAction>
#include <QScrollBar>
#include <QTest>

#include "support/main_window_fixture.h"
#include "support/pty_pair.h"
#include "ui/main/line_menu.h"
#include "ui/main/status_line.h"
#include "ui/monitor/monitor_view.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

class TrafficTest : public MainWindowTest {
protected:
    // The monitor's colour runs: "T" for transmitted, "R" for received, and their lengths.
    QString Runs() {
        const auto& text = Window().Monitor().Text();
        QStringList runs;
        for (const ColourSegment& run : text.ColourSegments(0, text.Size())) {
            runs << QStringLiteral("%1%2")
                        .arg(run.colour == kTransmitColour ? "T" : "R")
                        .arg(run.to - run.from);
        }
        return runs.join(' ');
    }
};

struct SendCase {
    const char* reason;
    const char* mode;
    int processCrLf;
    std::string box;
    std::string sent;
    std::string shown;  // as the monitor reports it: breaks as CR LF
};

// The line end is written in the string's own notation, so it is encoded and echoed as typed.
TEST_F(TrafficTest, TheLineEndChosenForAPortFollowsEveryStringSentOnIt) {
    settings_.SaveSetting("LineEndOnSend2", "junk");
    Mainfrm& window = Start();
    window.LineItems().LineEndChoice(3).trigger();  // CR LF
    EXPECT_EQ(settings_.GetSetting("LineEndOnSend1", ""), "CRLF");
    EXPECT_TRUE(window.Status().DeviceText().endsWith("  Line end CR LF"));
    const SendCase cases[] = {
        {"hex, the last group without its space", "Hex", 0, "41", "A\r\n", "41 0D 0A "},
        {"ascii", "Ascii", 0, "AT", "AT\r\n", "AT^M^J"},
        {"decimal", "Decimal", 0, "065 ", "A\r\n", "065 013 010 "},
    };
    for (const SendCase& c : cases) {
        SCOPED_TRACE(c.reason);
        state_.ProcessCrLf = c.processCrLf;
        window.Combo2().SetText(c.mode);
        port_.ClearRecords();
        window.ToolbarButton("Clear")->trigger();
        window.SendBox().setText(QString::fromLatin1(c.box.data(), c.box.size()));
        window.SendButton_Click();
        EXPECT_EQ(port_.Written(), c.sent);
        EXPECT_EQ(MonitorText(), c.shown);
    }
    QTest::keyClick(&window.SendBox(), Qt::Key_Up);
    EXPECT_EQ(window.SendBox().text(), "065 ") << "the history keeps what was typed";
    window.Combo2().SetText("Hex");
    state_.CommandStrings.at(1) = "41 ";
    port_.ClearRecords();
    window.Command_Click(1);
    EXPECT_EQ(port_.Written(), "A\r\n") << "a command button too";

    window.Combo1().SetText("2");  // stored "junk": None, said once
    port_.ClearRecords();
    window.Command_Click(1);
    window.Command_Click(1);
    EXPECT_EQ(port_.Written(), "AA");
    EXPECT_TRUE(window.LineItems().LineEndChoice(0).isChecked());
    PumpEventsFor(std::chrono::milliseconds(10));
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{"Warning: The stored setting LineEndOnSend2 (\"junk\") is not "
                                   "valid; None is used"});
}

// The formatting rules are FormatReceived's table; here the window passes its notation and
// Process Cr/Lf, and shows sent and received text on one line in their colours.
TEST_F(TrafficTest, ReceivedBytesAreShownInRedInTheCurrentNotation) {
    settings_.SaveSetting("Filetype", "Ascii");
    settings_.SaveSetting("Process", "1");
    Mainfrm& window = Start();
    window.SendBox().setText("AB");
    window.SendButton_Click();
    EXPECT_EQ(window.SendBox().text(), "AB") << "the box keeps what was sent";
    port_.InjectReceived("Hi\r\n");
    EXPECT_EQ(MonitorText(), "ABHi\r\n");
    EXPECT_EQ(window.Monitor().Text().ColourAt(1), kTransmitColour);
    EXPECT_EQ(window.Monitor().Text().ColourAt(2), kReceiveColour);
    EXPECT_EQ(window.Monitor().Lamps().LED2()->FillColour(), QColor::fromRgb(kLampOnColour));
}

TEST_F(TrafficTest, AHeldDisplayKeepsTrafficAsideAndShowsItAllInOrderOnRelease) {
    Mainfrm& window = Start();
    port_.InjectReceived("A");
    QAction* hold = window.MenuEntry("HoldDisplaymenu");
    EXPECT_FALSE(hold->isChecked()) << "off until asked for";
    hold->trigger();
    port_.InjectReceived("BC");
    window.SendBox().setText("44 ");
    window.SendButton_Click();
    port_.InjectReceived("E");
    EXPECT_EQ(MonitorText(), "41 ");
    EXPECT_EQ(window.Status().HoldText(), "Held: 4 bytes waiting");
    EXPECT_EQ(window.Session().Counters().Received(), 4u) << "still read and counted";
    hold->trigger();
    EXPECT_EQ(MonitorText(), "41 42 43 44 45 ");
    EXPECT_EQ(Runs(), "R9 T3 R3");
    EXPECT_EQ(window.Status().HoldText(), "");

    // A display switch first shows what was kept, so that it is rewritten with the rest.
    hold->trigger();
    port_.InjectReceived("F");
    window.Combo2().SetText("Ascii");
    EXPECT_EQ(MonitorText(), "ABCDEF");
    EXPECT_EQ(window.Status().HoldText(), "Held: 0 bytes waiting");
    port_.InjectReceived("G");
    window.ToolbarButton("Clear")->trigger();
    hold->trigger();
    EXPECT_EQ(MonitorText(), "") << "Clear Data drops what was kept too";

    // Kept text never passes the monitor's capacity: what is kept goes to the monitor first.
    CloseWindows();
    SettingsStore store(Path("small.ini"));
    Mainfrm small(state_, store, port_, prompts_, nullptr, 6);
    small.Form_Load();
    small.MenuEntry("HoldDisplaymenu")->trigger();
    port_.InjectReceived("AB");
    EXPECT_EQ(small.Monitor().PlainText(), "");
    port_.InjectReceived("C");
    EXPECT_EQ(small.Monitor().PlainText(), "41 42 ");
    EXPECT_EQ(small.Status().HoldText(), "Held: 1 bytes waiting");
}

TEST_F(TrafficTest, DisplayModeChangeConvertsBothBoxesOnceAndTimestampsShowWhenChosen) {
    settings_.SaveSetting("ShowTimestamps", "yes");  // malformed: the default, off
    Mainfrm& window = Start();
    window.Combo2().SetText("Ascii");
    EXPECT_EQ(MonitorText(), "") << "an empty monitor stays empty";
    window.Combo2().SetText("Hex");
    window.SendBox().setText("41 0D ");
    port_.InjectReceived("AB");
    window.Combo2().SetText("Decimal");
    EXPECT_EQ(window.SendBox().text(), "065 013 ");
    EXPECT_EQ(MonitorText(), "065 066 ");
    EXPECT_EQ(Runs(), "R8");
    EXPECT_EQ(settings_.GetSetting("Filetype", ""), "Decimal");
    EXPECT_EQ(state_.MainMode, 3);

    // The next received byte is red again, in the new notation.
    port_.InjectReceived("C");
    EXPECT_EQ(MonitorText(), "065 066 067  ");
    EXPECT_EQ(window.Monitor().Text().ColourAt(9), kReceiveColour);

    // Picking the mode already shown converts nothing and stores nothing.
    settings_.SaveSetting("Filetype", "sentinel");
    window.Combo2().SetText("Decimal");
    EXPECT_EQ(window.SendBox().text(), "065 013 ");
    EXPECT_EQ(settings_.GetSetting("Filetype", ""), "sentinel");

    window.Combo2().SetText("Ascii");
    EXPECT_EQ(window.SendBox().text(), "A^M");
    EXPECT_EQ(MonitorText(), "ABC");

    EXPECT_FALSE(window.ReceiveBox().ShowingTimestamps());
    window.MenuEntry("ShowTimestampsmenu")->trigger();
    EXPECT_TRUE(window.ReceiveBox().ShowingTimestamps());
    EXPECT_EQ(settings_.GetSetting("ShowTimestamps", ""), "1");
}

TEST_F(TrafficTest, EnterSendsWhatTheBoxHoldsAndUpAndDownStepThroughTheStringsSent) {
    Mainfrm& window = Start();
    NotationField& box = window.SendBox();
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{"No Data to Send!"});
    for (const char* keys : {"41", "42", "42"}) {
        box.clear();
        QTest::keyClicks(&box, keys);
        QTest::keyClick(&box, Qt::Key_Return);
    }
    EXPECT_EQ(port_.Written(), "ABB");
    box.setText("4");
    QStringList shown;
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down}) {
        QTest::keyClick(&box, key);
        shown << box.text();
    }
    EXPECT_EQ(shown, QStringList({"42 ", "41 ", "41 ", "42 ", "4"}))
        << "a repeat is kept once; past the newest the box gets back what it held";
    window.Combo2().SetText("Decimal");
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.text(), "066 ") << "in the notation in force";
}

TEST_F(TrafficTest, ASendBringsAMonitorScrolledUpBackToTheEnd) {
    Mainfrm& window = Start();
    for (int line = 0; line < 100; ++line) {
        port_.InjectReceived("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    }
    QCoreApplication::processEvents();
    QScrollBar* bar = window.ReceiveBox().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(0);
    port_.InjectReceived("A");
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
    window.SendBox().setText("41 ");
    window.SendButton_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(TrafficTest, ADisplaySwitchAndProcessCrLfKeepWhoSentWhat) {
    Mainfrm& window = Start();
    window.SendBox().setText("41 0D ");
    window.SendButton_Click();
    port_.InjectReceived("B\r");
    window.SendBox().setText("0A 43 ");
    window.SendButton_Click();
    window.Combo2().SetText("Decimal");
    EXPECT_EQ(MonitorText(), "065 013 066 013 010 067 ");
    EXPECT_EQ(Runs(), "T8 R8 T8");
    window.Combo2().SetText("Ascii");
    QAction* button = window.ToolbarButton("ProcessCrLf");
    button->trigger();
    EXPECT_EQ(MonitorText(), "A\r\nB\r\nC") << "the CR received and the LF sent are one break";
    EXPECT_EQ(Runs(), "T2 R2 T2");
    EXPECT_EQ(settings_.GetSetting("Process", ""), "1");
    EXPECT_EQ(button->text(), "Show Cr/Lf");  // its tooltip beside it: PortStartTest
    button->trigger();
    EXPECT_EQ(MonitorText(), "A^M^JB^M^JC") << "a break split between two runs shows once";
    EXPECT_EQ(Runs(), "T5 R5 T1");
    EXPECT_EQ(settings_.GetSetting("Process", ""), "0");

    // Process Cr/Lf re-renders only in Ascii.
    window.Combo2().SetText("Hex");
    const std::string hex = MonitorText();
    button->trigger();
    EXPECT_EQ(MonitorText(), hex);
    EXPECT_EQ(button->text(), "Show Cr/Lf");
}

TEST_F(TrafficTest, SaveKeepsTheDataFileApartFromTheCommandSet) {
    Mainfrm& window = Start();
    port_.InjectReceived("AB");
    const QString commandSet = state_.CommandFileName;
    prompts_.QueueSaveFile(Path("log.txt"));
    window.MenuEntry("Savemenu")->trigger();
    // The first save starts in the program's folder.
    EXPECT_EQ(DialogStartFolder(prompts_.SaveRequests().at(0).directory),
              QCoreApplication::applicationDirPath());
    EXPECT_EQ(state_.DataFileName, Path("log.txt"));
    EXPECT_EQ(state_.CommandFileName, commandSet);
    QFile saved(Path("log.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "41 42 \r\n");

    // The next run starts where the last save went, not in the program's folder.
    CloseWindows();
    state_ = AppState{};
    Start();
    prompts_.QueueSaveFile(std::nullopt);
    Window().MenuEntry("Savemenu")->trigger();
    EXPECT_EQ(prompts_.SaveRequests().back().directory, folder_.path());
}

}  // namespace
}  // namespace kestrum
