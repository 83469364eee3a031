// Sending, receiving and the display mode of the main window, on the in-memory port and end
// to end on a pseudo-terminal.

#include <QAction>
#include <QScrollBar>
#include <QTest>

#include "platform/qt_serial_port.h"
#include "support/main_window_fixture.h"
#include "support/pty_pair.h"
#include "ui/monitor/monitor_view.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

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

TEST_F(TrafficTest, SendWritesTheBytesAndEchoesInTransmitColour) {
    const SendCase cases[] = {
        {"hex", "Hex", 0, "41 42 ", "AB", "41 42 "},
        {"ascii as typed", "Ascii", 0, "AT^M", "AT\r", "AT^M"},
        {"ascii with Cr/Lf processed", "Ascii", 1, "AT^M", "AT\r", "AT\r\n"},
        {"lone caret at the end, off", "Ascii", 0, "x^", "x", "x^"},
        {"lone caret at the end, on", "Ascii", 1, "x^", "x", "x"},
        {"caret pairs normalised when on", "Ascii", 1, "^a^|", "!^", "!^|"},
        {"decimal token above 255 is not sent", "Decimal", 0, "300 065 ", "A", "300 065 "},
    };
    for (const SendCase& c : cases) {
        SCOPED_TRACE(c.reason);
        settings_.SaveSetting("Filetype", c.mode);
        settings_.SaveSetting("Process", QString::number(c.processCrLf));
        state_ = AppState{};
        Mainfrm& window = Start();
        port_.ClearRecords();
        window.SendBox().setText(QString::fromLatin1(c.box.data(), c.box.size()));
        window.SendButton_Click();
        EXPECT_EQ(port_.Written(), c.sent);
        EXPECT_EQ(port_.OutputCalls(), static_cast<int>(c.sent.size()));
        EXPECT_EQ(MonitorText(), c.shown);
        EXPECT_EQ(window.Monitor().Text().ColourAt(0), kTransmitColour);
        EXPECT_EQ(window.SendBox().text(), QString::fromLatin1(c.box.data(), c.box.size()));
        EXPECT_TRUE(prompts_.Messages().empty());
    }
}

TEST_F(TrafficTest, EmptyBoxAndUnopenablePortSendNothing) {
    Mainfrm& window = Start();
    window.SendButton_Click();
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{"No Data to Send!"});

    // A port closed by an earlier failure is reopened on demand...
    port_.SetPortOpen(false);
    window.SendBox().setText("41 ");
    window.SendButton_Click();
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(port_.Written(), "A");

    // ...and when it cannot be opened nothing is sent or shown as sent.
    port_.SetPortOpen(false);
    port_.SetOpenFailure(1, PortErrorKind::PortInUse);
    window.SendButton_Click();
    EXPECT_EQ(prompts_.Messages().back(), "Warning: Comm port in use by another application");
    EXPECT_EQ(port_.Written(), "A");
    EXPECT_EQ(MonitorText(), "41 ");
}

TEST_F(TrafficTest, AStringThePortRefusedIsReportedAndNotShownAsSent) {
    Mainfrm& window = Start();
    port_.ClearRecords();
    port_.FailNext(MemorySerialPort::Operation::Output, PortErrorKind::Other);
    window.SendBox().setText("41 42 ");
    window.SendButton_Click();
    EXPECT_EQ(port_.Written(), "B") << "a refused byte loses only itself";
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{
                  "Warning: The Com port refused 1 of 2 bytes; the string is not shown as sent"});
    EXPECT_EQ(MonitorText(), "");

    // The next send goes and is echoed as usual.
    window.SendButton_Click();
    EXPECT_EQ(port_.Written(), "BAB");
    EXPECT_EQ(MonitorText(), "41 42 ");
}

struct ReceiveCase {
    const char* mode;
    int processCrLf;
    std::string shown;
};

TEST_F(TrafficTest, ReceivedBytesAreShownInRedInTheCurrentNotation) {
    const ReceiveCase cases[] = {
        {"Hex", 0, "48 69 0D 0A "},
        {"Decimal", 1, "072 105 013 010  "},
        {"Ascii", 0, "Hi^M^J"},
        {"Ascii", 1, "Hi\r\n"},
    };
    for (const ReceiveCase& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.processCrLf));
        settings_.SaveSetting("Filetype", c.mode);
        settings_.SaveSetting("Process", QString::number(c.processCrLf));
        state_ = AppState{};
        Mainfrm& window = Start();
        port_.InjectReceived("Hi\r\n");
        EXPECT_EQ(MonitorText(), c.shown);
        EXPECT_EQ(window.Monitor().Text().ColourAt(0), kReceiveColour);
        EXPECT_EQ(window.Monitor().Lamps().LED2()->FillColour(), QColor::fromRgb(kLampOnColour));
    }
}

TEST_F(TrafficTest, EverythingWaitingIsShownAndNothingWhenNothingWaits) {
    Mainfrm& window = Start();
    // A large burst is never discarded.
    std::string burst(5000, 'U');
    port_.InjectReceived(burst);
    EXPECT_EQ(MonitorText().size(), 3 * burst.size());
    // A notification with nothing waiting shows no phantom byte.
    window.MSComm1_OnComm();
    EXPECT_EQ(MonitorText().size(), 3 * burst.size());
}

TEST_F(TrafficTest, SentThenReceivedShareALineInTheirColours) {
    settings_.SaveSetting("Filetype", "Ascii");
    Mainfrm& window = Start();
    window.SendBox().setText("AB");
    window.SendButton_Click();
    port_.InjectReceived("CD");
    EXPECT_EQ(MonitorText(), "ABCD");
    EXPECT_EQ(window.Monitor().Text().ColourAt(1), kTransmitColour);
    EXPECT_EQ(window.Monitor().Text().ColourAt(2), kReceiveColour);
}

TEST_F(TrafficTest, DisplayModeChangeConvertsBothBoxesOnce) {
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
}

TEST_F(TrafficTest, EnterSendsAndUpAndDownStepThroughTheStringsSent) {
    Mainfrm& window = Start();
    NotationField& box = window.SendBox();
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

TEST_F(TrafficTest, ADisplaySwitchKeepsWhoSentWhat) {
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
    window.ToolbarButton("ProcessCrLf")->trigger();
    EXPECT_EQ(MonitorText(), "A\r\nB\r\nC") << "the CR received and the LF sent are one break";
    EXPECT_EQ(Runs(), "T2 R2 T2");
    window.ToolbarButton("ProcessCrLf")->trigger();
    EXPECT_EQ(MonitorText(), "A^M^JB^M^JC") << "a break split between two runs shows once";
    EXPECT_EQ(Runs(), "T5 R5 T1");
}

TEST_F(TrafficTest, ProcessCrLfReRendersOnlyInAscii) {
    settings_.SaveSetting("Filetype", "Ascii");
    Mainfrm& window = Start();
    port_.InjectReceived("a\r\nb");
    EXPECT_EQ(MonitorText(), "a^M^Jb");
    QAction* button = window.ToolbarButton("ProcessCrLf");
    button->trigger();
    EXPECT_EQ(MonitorText(), "a\r\nb");
    EXPECT_EQ(Runs(), "R4");
    EXPECT_EQ(settings_.GetSetting("Process", ""), "1");
    EXPECT_EQ(button->text(), "Show Cr/Lf");
    EXPECT_EQ(button->toolTip(), "Display ascii Cr and Lf characters");
    button->trigger();
    EXPECT_EQ(MonitorText(), "a^M^Jb");
    EXPECT_EQ(settings_.GetSetting("Process", ""), "0");

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
}

TEST(MainWindowOnPty, TypedStringArrivesAndAnswerShowsInRed) {
    PtyPair pty;
    QTemporaryDir folder;
    SettingsStore settings(folder.filePath("Kestrum.ini"));
    settings.SaveSetting("Device1", pty.DevicePath());
    settings.SaveSetting("Filetype", "Ascii");
    QtSerialPort port(DevicesFromSettings(settings));
    ScriptedPrompts prompts;
    AppState state;
    Mainfrm window(state, settings, port, prompts);
    window.Form_Load();
    ASSERT_TRUE(prompts.Messages().empty()) << prompts.Messages()[0].toStdString();
    ASSERT_TRUE(port.PortOpen());

    QTest::keyClicks(&window.SendBox(), "AT^M");
    window.SendButton_Click();
    EXPECT_EQ(pty.Read(3), "AT\r");

    window.Combo2().SetText("Hex");
    const std::string before = window.Monitor().PlainText();
    ASSERT_TRUE(pty.Write("OK\r\n"));
    ASSERT_TRUE(PumpEventsUntil(
        [&] { return window.Monitor().PlainText().size() >= before.size() + 12; }, 2000ms));
    EXPECT_EQ(window.Monitor().PlainText(), before + "4F 4B 0D 0A ");
    EXPECT_EQ(window.Monitor().Text().ColourAt(before.size()), kReceiveColour);
}

}  // namespace
}  // namespace kestrum
