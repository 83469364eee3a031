// Sending, receiving and the display mode of the main window, on the in-memory port. (What a
// send writes, echoes, counts and tells: the traffic path's test; end to end on a pseudo-terminal:
// the device-loss, port-in-use and port-settings device tests.)

#include <QAction>
#include <QScrollBar>
#include <QTest>

#include "support/main_window_fixture.h"
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
}

}  // namespace
}  // namespace kestrum
