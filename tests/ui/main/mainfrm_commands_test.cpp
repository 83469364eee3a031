// The command button bank, the command set file's open and start-up load, the toolbar and
// menus.

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "storage/command_set_file.h"
#include "support/main_window_fixture.h"
#include "ui/main/command_button.h"
#include "ui/monitor/monitor_view.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

class CommandBankTest : public MainWindowTest {
protected:
    // Writes a set whose entry i is labelled "L<i>" with command "41 ", entry 23 "0D 0A ".
    QString WriteSet(const QString& name) {
        CommandSet set{};
        for (std::size_t i = 0; i < 40; ++i) {
            set[i] = {"L" + std::to_string(i + 1), i == 22 ? "0D 0A " : "41 "};
        }
        EXPECT_TRUE(WriteCommandSet(Path(name), set));
        return Path(name);
    }

    // The pages whose ten buttons all show ("1" when only the first does).
    QString ShownPages() {
        QString pages;
        for (int page = 1; page <= 4; ++page) {
            bool shown = true;
            for (int i = 10 * page - 9; i <= 10 * page; ++i) {
                shown = shown && !Window().Command(i).isHidden();
            }
            pages += shown ? QString::number(page) : "";
        }
        return pages;
    }
};

TEST_F(CommandBankTest, PagingStopsAtBothEnds) {
    Mainfrm& window = Start();
    window.UpDown1_UpClick();
    EXPECT_EQ(ShownPages(), "1") << "page 1 only, also with no command set loaded";
    const char* captions[] = {"Commands 11-20", "Commands 21-30", "Commands 31-40",
                              "Commands 31-40"};
    for (int click = 0; click < 4; ++click) {
        window.UpDown1_DownClick();
        EXPECT_EQ(ShownPages(), QString::number(std::min(click + 2, 4)));
        EXPECT_EQ(window.Label10().text(), captions[click]);
    }
    for (int click = 0; click < 3; ++click) {
        window.UpDown1_UpClick();
    }
    EXPECT_EQ(ShownPages(), "1");
    EXPECT_EQ(window.Label10().text(), "Commands 1-10");
}

// A 10 MB label keeps its whole caption: BadCommandSetTest.
TEST_F(CommandBankTest, ButtonsLookLikePlainButtons) {
    const QString labels[] = {"Reset", "Vol &+", "x"};
    for (const QString& label : labels) {
        SCOPED_TRACE(label.toStdString());
        CommandButton command;
        QPushButton plain;
        for (QPushButton* button : {static_cast<QPushButton*>(&command), &plain}) {
            button->setGeometry(0, 0, 73, 33);
            button->setText(label);
        }
        EXPECT_EQ(command.grab().toImage(), plain.grab().toImage());
    }
}

TEST_F(CommandBankTest, ALabelTooLongEndsInAnEllipsisAndTheTooltipTellsAll) {
    CommandButton button;
    button.setGeometry(0, 0, 73, 33);
    button.setText("Power On and Warm Up Lamp");
    const QString shown = button.ShownText();
    EXPECT_TRUE(shown.startsWith("Power") && shown.endsWith("...")) << shown.toStdString();
    EXPECT_LT(button.fontMetrics().horizontalAdvance(shown), button.width());

    const QString set = WriteSet("Set.cmd");
    settings_.SaveSetting("Filename", set);
    Mainfrm& window = Start();
    EXPECT_EQ(window.Command(23).toolTip(), "<p style='white-space:pre'>L23<br>0D 0A </p>");
}

// The start-up load fills the buttons without writing settings; a button sends its entry.
TEST_F(CommandBankTest, StartUpLoadFillsTheButtonsAndAButtonSendsItsEntryInTheCurrentNotation) {
    const QString file = WriteSet("Set.cmd");
    settings_.SaveSetting("Filename", file);
    settings_.SaveSetting("Directory", "/somewhere/else.cmd");
    settings_.SaveSetting("Filetype", "Decimal");
    Mainfrm& window = Start();
    EXPECT_EQ(window.ComSetLabel().text(), file);
    EXPECT_TRUE(window.ComSetLabel().isReadOnly());
    EXPECT_EQ(window.ComSetLabel().palette().color(QPalette::Base),
              window.ComSetLabel().palette().color(QPalette::Window))
        << "the field looks read-only";
    EXPECT_EQ(window.Command(1).text(), "L1");
    EXPECT_EQ(window.Command(40).text(), "L40");
    EXPECT_EQ(ShownPages(), "1");
    EXPECT_EQ(state_.CommandDirectory, "/somewhere/else.cmd");
    // Keys are checked in the window's notation, with the box's own range message.
    QTest::keyClicks(&window.SendBox(), "256");
    EXPECT_EQ(window.SendBox().text(), "25");
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{"Error - Decimal value must be in the range 000-255"});
    port_.ClearRecords();
    window.Command_Click(23);
    EXPECT_EQ(window.SendBox().text(), "013 010 ");
    EXPECT_EQ(port_.Written(), "\r\n");
    EXPECT_EQ(MonitorText(), "013 010 ");

    window.Combo2().SetText("Ascii");
    state_.CommandStrings[5] = "41 54 0D ";
    port_.ClearRecords();
    window.Command(5).click();
    EXPECT_EQ(window.SendBox().text(), "AT^M");
    EXPECT_EQ(port_.Written(), "AT\r");

    // An empty command empties the box and then has nothing to send.
    state_.CommandStrings[6].clear();
    window.Command_Click(6);
    EXPECT_TRUE(window.SendBox().text().isEmpty());
    EXPECT_EQ(prompts_.Messages().back(), "No Data to Send!");

    // With the port disconnected by the user the box is left as it was.
    window.SendBox().setText("keep");
    window.ToolbarButton("ClosePort")->trigger();
    window.Command_Click(5);
    EXPECT_EQ(window.SendBox().text(), "keep");
    EXPECT_EQ(prompts_.Messages().back(), "The Port is disconnected");
}

TEST_F(CommandBankTest, OpenCommandSet) {
    Mainfrm& window = Start();
    window.UpDown1_DownClick();

    // Cancel changes nothing.
    prompts_.QueueOpenFile(std::nullopt);
    window.ToolbarButton("Open")->trigger();
    ASSERT_EQ(prompts_.OpenRequests().size(), 1u);
    EXPECT_EQ(prompts_.OpenRequests()[0].filter, "All Files (*.*)|*.*|Command Files (*.cmd)|*.cmd");
    EXPECT_EQ(prompts_.OpenRequests()[0].filterIndex, 2);
    EXPECT_TRUE(window.ComSetLabel().text().isEmpty());
    EXPECT_EQ(settings_.GetSetting("Filename", "absent"), "absent");

    // A file that cannot be read shows its name but keeps the entries and the settings.
    prompts_.QueueOpenFile(Path("missing.cmd"));
    window.MenuEntry("Openmenu")->trigger();
    EXPECT_EQ(window.ComSetLabel().text(), Path("missing.cmd"));
    EXPECT_EQ(window.Command(1).text(), "Command1");
    EXPECT_EQ(settings_.GetSetting("Filename", "absent"), "absent");

    // A good file fills every entry and stores its path twice; the page stays.
    const QString file = WriteSet("Good.cmd");
    prompts_.QueueOpenFile(file);
    window.OpenCommandSet();
    EXPECT_EQ(window.Command(11).text(), "L11");
    EXPECT_EQ(state_.CommandStrings[23], "0D 0A ");
    EXPECT_EQ(settings_.GetSetting("Filename", ""), file);
    EXPECT_EQ(settings_.GetSetting("Directory", ""), file);
    EXPECT_EQ(prompts_.OpenRequests().back().directory, Path("missing.cmd"));
    EXPECT_EQ(window.Label10().text(), "Commands 11-20");
    EXPECT_TRUE(prompts_.Messages().empty());
}

// Edit, Send Text File and Port Settings open their windows in the editor, calculator and
// screenshot tests; the Clear menu entry empties the counters in LineControlsTest.
TEST_F(CommandBankTest, EveryToolbarKeyAndMenuEntryReachesItsAction) {
    Mainfrm& window = Start();
    int aboutRequests = 0;
    QObject::connect(&window, &Mainfrm::AboutRequested, [&] { ++aboutRequests; });
    port_.InjectReceived("A");
    window.ToolbarButton("Clear")->trigger();
    EXPECT_TRUE(MonitorText().empty());

    window.SendBox().setText("42 ");
    window.ToolbarButton("Send")->trigger();
    EXPECT_EQ(port_.Written(), "B");

    window.MenuEntry("Aboutmenu")->trigger();
    EXPECT_EQ(aboutRequests, 1);

    prompts_.QueueSaveFile(std::nullopt);
    window.ToolbarButton("Save")->trigger();
    prompts_.QueuePrintCancel();
    window.ToolbarButton("Print")->trigger();
    prompts_.QueuePrintCancel();
    window.MenuEntry("Printmenu")->trigger();
    EXPECT_EQ(prompts_.SaveRequests().size(), 1u);
    EXPECT_EQ(prompts_.PrintRequests().size(), 2u);
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(CommandBankTest, CtrlXCutsInTheFocusedBoxAndClearsTheMonitorElsewhere) {
    Mainfrm& window = Start();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    port_.InjectReceived("A");
    window.SendBox().setText("41 42 ");
    window.SendBox().setFocus();
    window.SendBox().selectAll();
    QTest::keyClick(&window.SendBox(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(window.SendBox().text(), "");
    EXPECT_EQ(MonitorText(), "41 ");
    window.ReceiveBox().setFocus();
    QTest::keyClick(&window.ReceiveBox(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(MonitorText(), "");
}

TEST_F(CommandBankTest, AltKeysAndInputMethodTextAreCheckedAsTyped) {
    Mainfrm& window = Start();
    NotationField& box = window.SendBox();
    const QString refused = "Error - Input value must be in the range 0-9 or A-F";
    QTest::keyClick(&box, Qt::Key_G, Qt::AltModifier);
    QTest::keyClick(&box, Qt::Key_G, Qt::ControlModifier | Qt::AltModifier);
    QInputMethodEvent commit;
    commit.setCommitString("4z");
    QApplication::sendEvent(&box, &commit);
    EXPECT_EQ(box.text(), "4");
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>(3, refused));
}

}  // namespace
}  // namespace kestrum
