// The command button bank, the command set file's open and start-up load, the toolbar and
// menus.

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWheelEvent>

#include "storage/command_set_file.h"
#include "support/main_window_fixture.h"
#include "ui/main/command_button.h"
#include "ui/main/line_menu.h"
#include "ui/main/monitor_zoom.h"
#include "ui/main/tool_windows.h"
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

    // A caption a little too wide is drawn smaller instead, down to three quarters.
    Mainfrm& plain = Start();
    auto& tenth = dynamic_cast<CommandButton&>(plain.Command(10));
    EXPECT_EQ(tenth.ShownText(), "Command10");
    EXPECT_LT(tenth.ShownFont().pixelSize(), tenth.font().pixelSize());

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

TEST_F(CommandBankTest, OpenExampleListsTheInstalledSetsAndLoadsThePickedOne) {
    Mainfrm& window = Start();
    QMenu* file = window.menuBar()->actions().constFirst()->menu();
    auto* examples = window.findChild<QMenu*>("OpenExamplemenu");
    ASSERT_NE(examples, nullptr);
    emit file->aboutToShow();
    EXPECT_FALSE(examples->menuAction()->isVisible()) << "a build tree has no examples folder";
    window.SetExamplesFolder(KESTRUM_EXAMPLES_DIR);
    emit file->aboutToShow();
    ASSERT_TRUE(examples->menuAction()->isVisible());
    ASSERT_EQ(examples->actions().size(), 4);
    examples->actions().constFirst()->trigger();
    EXPECT_EQ(window.ComSetLabel().text(), KESTRUM_EXAMPLES_DIR "/at-modem.cmd");
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(CommandBankTest, KeysOpenTheMenusAndSizeTheMonitorAndNoTwoEntriesShareOne) {
    settings_.SaveSetting("MonitorZoomPercent", "150");
    Mainfrm& window = Start();
    MonitorView& view = window.ReceiveBox();
    EXPECT_EQ(view.ZoomPercent(), 150) << "the stored size";
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QList<QAction*> menus = window.menuBar()->actions();
    EXPECT_EQ(menus.at(2)->text(), "&Line") << "Alt+L opens it";
    QTest::keyClick(&window, Qt::Key_F10);
    EXPECT_EQ(window.menuBar()->activeAction(), menus.constFirst());
    window.menuBar()->setActiveAction(nullptr);

    QTest::keyClick(&window, Qt::Key_0, Qt::ControlModifier);
    const int designed = view.TextPixelSize();
    QTest::keyClick(&window, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(view.ZoomPercent(), 110);
    EXPECT_GT(view.TextPixelSize(), designed);
    const QPointF at(10, 10);
    QWheelEvent down(at, view.mapToGlobal(at), {}, {0, -2 * 120}, Qt::NoButton, Qt::ControlModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &down);
    EXPECT_EQ(settings_.GetSetting("MonitorZoomPercent", ""), "90");
    window.Zoom().Step(-20);
    EXPECT_EQ(view.ZoomPercent(), 50) << "stops at the smallest";

    std::map<QString, QString> owners;  // shortcut -> entry
    for (const QAction* action : window.findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            const auto [it, added] = owners.emplace(key.toString(), action->objectName());
            EXPECT_TRUE(added) << key.toString().toStdString() << ": " << it->second.toStdString();
        }
    }
    window.close();
    settings_.SaveSetting("MonitorZoomPercent", "9000");
    EXPECT_EQ(Start().ReceiveBox().ZoomPercent(), 100);
    QTest::qWait(10);
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{"Warning: The stored setting MonitorZoomPercent (\"9000\") is "
                                   "not valid; 100 is used"});
}

// The Help's claims that the program can check: the menus table (each entry in its menu with
// the shortcut named, or none), every menu entry named in the text with its key, and every
// key of the settings table read by a start-up and a first use of each window.
TEST_F(CommandBankTest, TheHelpNamesOnlyMenuEntriesShortcutsAndSettingsThatExist) {
    QFile file(QStringLiteral(KESTRUM_HELP_FILE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString help = QString::fromUtf8(file.readAll()).replace("&gt;", ">");
    Mainfrm& window = Start();
    std::map<QString, std::map<QString, QAction*>> menus;  // by captions without mnemonics
    const auto plain = [](QString text) { return text.remove('&').section('\t', 0, 0); };
    for (QAction* menu : window.menuBar()->actions()) {
        for (QAction* entry : menu->menu()->actions()) {
            menus[plain(menu->text())][plain(entry->text())] = entry;
            // A submenu's entries as "Line End > CR".
            for (QAction* inner : entry->menu() ? entry->menu()->actions() : QList<QAction*>()) {
                menus[plain(menu->text())][plain(entry->text()) + " > " + plain(inner->text())] =
                    inner;
            }
        }
    }
    const auto shortcutOf = [&](const QString& menu, const QString& entry) {
        QAction* action = menus[menu][entry];
        return action ? std::optional(action->shortcut().toString()) : std::nullopt;
    };

    const QString table = help.section(R"(<a name="menus">)", 1).section("</table>", 0, 0);
    static const QRegularExpression row("<tr><td>([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td>");
    QString menu;
    int entries = 0;
    for (const QRegularExpressionMatch& cells : row.globalMatch(table)) {
        menu = cells.captured(1).isEmpty() ? menu : cells.captured(1);
        for (const QString& entry : cells.captured(2).split(", ")) {
            SCOPED_TRACE((menu + " > " + entry).toStdString());
            EXPECT_EQ(shortcutOf(menu, entry), cells.captured(3));
            ++entries;
        }
    }
    EXPECT_GE(entries, 20);

    // "<b>Edit, Hold Display</b> (Ctrl+Shift+H)", "<b>Line &gt; Line End</b>", ...
    static const QRegularExpression named(
        R"(<b>(File|Edit|Line|Help)(?:, | > )([^<]+)</b>(?: \(((?:Ctrl|Shift|Alt|F\d)[^)]*)\))?)");
    int mentions = 0;
    for (const QRegularExpressionMatch& mention : named.globalMatch(help)) {
        SCOPED_TRACE(mention.captured(0).toStdString());
        const auto shortcut = shortcutOf(mention.captured(1), mention.captured(2));
        ASSERT_TRUE(shortcut.has_value());
        if (mention.hasCaptured(3)) {
            EXPECT_EQ(*shortcut, mention.captured(3));
        }
        ++mentions;
    }
    EXPECT_GE(mentions, 5);

    ToolWindows tools(window);
    tools.ShowSendText();
    tools.ShowChecksum();
    tools.ShowPortSettings();
    tools.ShowEditor();
    window.LineItems().SendBreak().trigger();
    for (const char* port : {"2", "3", "4", "1"}) {
        window.Combo1().SetText(port);
    }
    prompts_.QueueSaveFile(std::nullopt);
    window.MenuEntry("Savemenu")->trigger();
    prompts_.QueueSaveFile(std::nullopt);
    window.MenuEntry("StartCapturemenu")->trigger();
    const QString settingsTable =
        help.section(R"(<a name="settings">)", 1).section("</table>", 0, 0);
    static const QRegularExpression key(R"(<tr><td>(.*?)</td>)",
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression code(R"(<code>(\w+?)(1?)</code>( to )?)");
    int keys = 0;
    for (const QRegularExpressionMatch& cell : key.globalMatch(settingsTable)) {
        // "<code>Device1</code> to <code>Device4</code>" names four keys.
        for (const QRegularExpressionMatch& name : code.globalMatch(cell.captured(1))) {
            const bool range = name.hasCaptured(3) && !name.captured(2).isEmpty();
            for (const QString& number :
                 range ? QStringList{"1", "2", "3", "4"} : QStringList{name.captured(2)}) {
                const QString wanted = name.captured(1) + number;
                EXPECT_TRUE(settings_.KeysRead().count(wanted.toLower())) << wanted.toStdString();
                ++keys;
            }
        }
    }
    EXPECT_GE(keys, 30);
    window.close();
}

}  // namespace
}  // namespace kestrum
