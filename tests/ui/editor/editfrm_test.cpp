// The command set editor window: loading, notation, paging, save, closing and resizing, and its
// forty command string fields as the user leaves them.

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "ui/editor/editor_fixture.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1_field.h"
#include "ui/widgets/notation_field.h"
#include "ui/widgets/up_down_control.h"

namespace kestrum {
namespace {

class EditfrmTest : public EditorTest {
protected:
    // Ten labelled rows of Hex 41 42, and row 35 in a hidden block, loaded at start-up.
    Mainfrm& StartWithTenCommands() {
        CommandSet set{};
        for (std::size_t i = 0; i < 10; ++i) {
            set[i] = {"Cmd " + std::to_string(i + 1), "41 42 "};
        }
        set[34] = {"Late", "0D 5E "};
        StoreStartupSet(set);
        return StartWithTools();
    }

    // An editor, shown and active so that focus moves as for the user, in `mode`.
    Editfrm& ActiveEditor(const char* mode) {
        StartWithTools();
        Editfrm& editor = OpenEditor();
        editor.Combo2().SetText(QString::fromLatin1(mode));
        QApplication::setActiveWindow(&editor);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&editor));
        return editor;
    }

    // Moves the focus from string field `row` to its label field, as a click there does.
    static void Leave(Editfrm& editor, int row) {
        editor.StringText(row).setFocus(Qt::MouseFocusReason);
        editor.ButtonText(row).setFocus(Qt::MouseFocusReason);
    }

    QString LastMessage() const {
        return prompts_.Messages().empty() ? QString() : prompts_.Messages().back();
    }
};

// The first and last rows with a field shown, and how many fields show (30: one whole block).
QString ShownRows(const Editfrm& editor) {
    int first = 0;
    int last = 0;
    int fields = 0;
    for (int i = 1; i <= 40; ++i) {
        for (const QWidget* field : std::initializer_list<const QWidget*>{
                 &editor.ButtonLabel(i), &editor.ButtonText(i), &editor.StringText(i)}) {
            if (!field->isHidden()) {
                first = first == 0 ? i : first;
                last = i;
                ++fields;
            }
        }
    }
    return QString("%1-%2 %3").arg(first).arg(last).arg(fields);
}

TEST_F(EditfrmTest, OpensOnTheMainWindowsRowsInItsNotationAndIsRaisedWhenAskedAgain) {
    settings_.SaveSetting("Filetype", "Decimal");
    Mainfrm& window = StartWithTenCommands();
    state_.ChecksumString = "left over";
    Editfrm& editor = OpenEditor();
    EXPECT_EQ(editor.windowTitle(), "Edit Com Set");
    EXPECT_EQ(editor.ComSetText().text(), Path("Start.cmd"));
    EXPECT_EQ(editor.Combo2().Text(), "Decimal");
    EXPECT_EQ(state_.EditorMode, 3);
    EXPECT_EQ(editor.ButtonLabel(12).text(), "Button 12");
    EXPECT_EQ(editor.ButtonText(1).text(), "Cmd 1");
    EXPECT_EQ(editor.StringText(1).text(), "065 066 ") << "Hex 41 42 shown in Decimal";
    EXPECT_EQ(editor.StringText(35).text(), "013 094 ");
    EXPECT_EQ(editor.StringText(20).text(), "");
    EXPECT_EQ(ShownRows(editor), "1-10 30");
    EXPECT_FALSE(editor.ComSetSaved());
    // Opening forgets any earlier hand-over: the check button asks for a string.
    QTest::mouseClick(&editor.CheckButton(), Qt::LeftButton);
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{"Click on a String to calculate"});
    EXPECT_EQ(Calculator(), nullptr);

    // Hex converts every row, hidden ones included; labels and the main window stay.
    editor.Combo2().SetText("Hex");
    EXPECT_EQ(state_.EditorMode, 2);
    EXPECT_EQ(editor.StringText(1).text(), "41 42 ");
    EXPECT_EQ(editor.StringText(35).text(), "0D 5E ");
    EXPECT_EQ(editor.ButtonText(35).text(), "Late");
    editor.Combo2().SetText("Ascii");
    EXPECT_EQ(editor.StringText(35).text(), "^M^|");
    EXPECT_EQ(state_.MainMode, 3) << "the editor's notation is its own";
    EXPECT_EQ(window.Combo2().Text(), "Decimal");
    // The main window changing its notation leaves the editor alone.
    window.Combo2().SetText("Hex");
    EXPECT_EQ(editor.StringText(1).text(), "AB");
    EXPECT_EQ(state_.EditorMode, 1);

    // Edit again brings the open editor forward as it stands.
    editor.ButtonText(1).setText("edited");
    window.ToolbarButton("Edit")->trigger();
    EXPECT_EQ(Window().findChildren<Editfrm*>().size(), 1);
    EXPECT_EQ(editor.ButtonText(1).text(), "edited") << "not reloaded";
    EXPECT_EQ(prompts_.Messages().size(), 1u);
}

TEST_F(EditfrmTest, BlocksPageWithTheArrowsStopAtTheEndsAndTabRunsRowByRow) {
    StartWithTools();
    Editfrm& editor = OpenEditor();
    editor.UpDown1_DownClick();
    EXPECT_EQ(ShownRows(editor), "1-10 30") << "down on the first block does nothing";
    for (const char* expected : {"11-20 30", "21-30 30", "31-40 30", "31-40 30"}) {
        QTest::mouseClick(editor.UpDown1().UpButton(), Qt::LeftButton);
        EXPECT_EQ(ShownRows(editor), expected);
    }
    for (const char* expected : {"21-30 30", "11-20 30", "1-10 30", "1-10 30"}) {
        QTest::mouseClick(editor.UpDown1().DownButton(), Qt::LeftButton);
        EXPECT_EQ(ShownRows(editor), expected);
    }

    // Tab runs label, string, row by row.
    QWidget* widget = &editor.ButtonText(1);
    for (int step = 0; step < 20; ++step) {
        EXPECT_EQ(widget, step % 2 == 0 ? static_cast<QWidget*>(&editor.ButtonText(step / 2 + 1))
                                        : &editor.StringText(step / 2 + 1))
            << "step " << step;
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus);
    }
}

TEST_F(EditfrmTest, SaveWritesTheRowsAndClosingAppliesWhatTheRowsHoldThen) {
    settings_.SaveSetting("Filetype", "Decimal");
    Mainfrm& window = StartWithTenCommands();
    Editfrm& editor = OpenEditor();
    editor.StringText(3).setText("013 010 ");
    editor.ButtonText(35).clear();
    editor.StringText(35).clear();
    prompts_.QueueSaveFile(Path("Saved.cmd"));
    QTest::mouseClick(&editor.SaveButton(), Qt::LeftButton);

    const FileDialogRequest& request = prompts_.SaveRequests().at(0);
    EXPECT_EQ(request.filter, "All Files (*.*)|*.*|Command Files (*.cmd)|*.cmd");
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(request.fileName, Path("Start.cmd"));
    EXPECT_TRUE(request.directory.isEmpty()) << "the dialog starts from the preset name";
    const QByteArray saved = FileBytes(Path("Saved.cmd"));
    EXPECT_TRUE(
        saved.startsWith("Cmd 1\x1E"
                         "41 42 \r\nCmd 2\x1E"
                         "41 42 \r\nCmd 3\x1E"
                         "0D 0A \r\n"))
        << "rows are stored in Hex whatever the editor shows";
    EXPECT_EQ(saved.count("\r\n"), 40);
    EXPECT_EQ(saved.split('\n')[34], "\x1E\r") << "an emptied row is the separator alone";
    EXPECT_TRUE(editor.ComSetSaved());
    EXPECT_EQ(editor.ComSetText().text(), Path("Saved.cmd"));
    EXPECT_EQ(state_.CommandFileName, Path("Saved.cmd"));
    EXPECT_EQ(settings_.GetSetting("Filename", ""), Path("Saved.cmd"));
    EXPECT_EQ(state_.CommandStrings[3], "41 42 ") << "a save alone leaves the main window";
    EXPECT_EQ(window.ComSetLabel().text(), Path("Start.cmd"));

    // Relabel after the save: the file keeps the old label, the main window gets the new one.
    editor.ButtonText(1).setText("Renamed");
    prompts_.QueueAnswer(Answer::No);
    editor.close();
    EXPECT_TRUE(FileBytes(Path("Saved.cmd")).startsWith("Cmd 1\x1E"));
    EXPECT_EQ(window.Command(1).text(), "Renamed");
    EXPECT_EQ(state_.CommandStrings[3], "0D 0A ");
    EXPECT_EQ(window.Command(35).text(), "");
    EXPECT_EQ(state_.CommandStrings[35], "");
    EXPECT_EQ(window.ComSetLabel().text(), Path("Saved.cmd"));
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(EditfrmTest, ClosingWithUnsavedEditsAsksFirst) {
    Mainfrm& window = StartWithTenCommands();
    const QStringList captions = Captions();
    const auto strings = state_.CommandStrings;
    OpenEditor().Combo2().SetText("Decimal");
    OpenEditor().close();
    EXPECT_TRUE(prompts_.Questions().empty()) << "a notation switch edits nothing";

    Editfrm& editor = OpenEditor();
    editor.ButtonText(1).setText("Renamed");
    editor.StringText(2).setText("FF ");
    editor.ButtonText(40).setText("Forty");
    prompts_.QueueAnswer(Answer::Cancel);
    editor.close();
    EXPECT_EQ(Editor(), &editor) << "Cancel keeps the editor open";
    prompts_.QueueAnswer(Answer::Yes);
    prompts_.QueueSaveFile(std::nullopt);
    editor.close();
    EXPECT_EQ(Editor(), &editor) << "so does a save that did not happen";
    // No drops the edits. The Close button closes as the close box does (the same event).
    prompts_.QueueAnswer(Answer::No);
    QTest::mouseClick(&editor.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(Editor(), nullptr) << "closing destroys the window";
    EXPECT_EQ(Captions(), captions);
    EXPECT_EQ(state_.CommandStrings, strings);
    EXPECT_EQ(window.ComSetLabel().text(), Path("Start.cmd"));

    Editfrm& again = OpenEditor();
    again.ButtonText(1).setText("Renamed");
    prompts_.QueueAnswer(Answer::Yes);
    prompts_.QueueSaveFile(Path("Kept.cmd"));
    again.close();
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_TRUE(FileBytes(Path("Kept.cmd")).startsWith("Renamed\x1E"));
    EXPECT_EQ(window.Command(1).text(), "Renamed");

    // Closing the main window asks the same first; Cancel keeps the program running.
    OpenEditor().ButtonText(2).setText("Two");
    prompts_.QueueAnswer(Answer::Cancel);
    QCloseEvent close;
    QApplication::sendEvent(&window, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_EQ(prompts_.Questions(),
              std::vector<QString>(5, "Save the changes to the command set?"));
    EXPECT_TRUE(prompts_.AllAnswersUsed());
}

TEST_F(EditfrmTest, ASaveThatDoesNotHappenKeepsTheSavedStateAsItWas) {
    const QString unwritable = Path("no-such-folder/Set.cmd");
    for (const std::optional<QString>& answer : {std::optional<QString>(), {unwritable}}) {
        SCOPED_TRACE(answer ? "failed" : "cancelled");
        window_.reset();
        state_ = AppState{};
        prompts_ = ScriptedPrompts{};
        Mainfrm& window = StartWithTenCommands();
        Editfrm& editor = OpenEditor();
        editor.ButtonText(1).setText("Unsaved");
        prompts_.QueueSaveFile(answer);
        editor.SaveButton_Click();
        EXPECT_FALSE(editor.ComSetSaved());
        EXPECT_EQ(editor.ComSetText().text(), Path("Start.cmd"));
        EXPECT_EQ(settings_.GetSetting("Filename", ""), Path("Start.cmd"));
        prompts_.QueueAnswer(Answer::No);
        editor.close();
        EXPECT_EQ(window.Command(1).text(), "Cmd 1") << "never saved: nothing applied";

        // After a good save, one that does not happen still counts the good one.
        Editfrm& second = OpenEditor();
        prompts_.QueueSaveFile(Path("Good.cmd"));
        second.SaveButton_Click();
        second.ButtonText(1).setText("After");
        prompts_.QueueSaveFile(answer);
        second.SaveButton_Click();
        EXPECT_TRUE(second.ComSetSaved());
        prompts_.QueueAnswer(Answer::No);
        second.close();
        EXPECT_EQ(window.Command(1).text(), "After");
        EXPECT_EQ(window.ComSetLabel().text(), Path("Good.cmd"));
        EXPECT_EQ(settings_.GetSetting("Filename", ""), Path("Good.cmd"));
        const std::vector<QString> messages = prompts_.Messages();
        EXPECT_EQ(messages.size(), answer ? 2u : 0u);
        for (const QString& message : messages) {
            EXPECT_TRUE(message.startsWith("Error - The Command Set could not be saved to " +
                                           unwritable + ": "))
                << message.toStdString();
        }
    }
}

TEST_F(EditfrmTest, F1OpensTheHelpFromTheEditor) {
    StartWithTools().show();
    Editfrm& editor = OpenEditor();
    QApplication::setActiveWindow(&editor);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    EXPECT_EQ(Window().MenuEntry("Helpmenu")->shortcut(), QKeySequence(Qt::Key_F1));
    QTest::keyClick(&editor.StringText(1), Qt::Key_F1);
    // No help file beside the test program: the message says Help was asked for.
    ASSERT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_TRUE(prompts_.Messages().front().contains("kestrum.hlp"));
}

TEST_F(EditfrmTest, LabelsRefuseWhatTheFileCannotHoldAndShrinkBelowTheDesignSize) {
    CommandSet set{};
    set[0] = {"Caf\xE9", "41 "};
    StoreStartupSet(set);
    StartWithTools();
    Editfrm& editor = OpenEditor();
    EXPECT_EQ(editor.ButtonText(1).text(), QString::fromUtf8("Café"));
    for (const QString& typed : {QStringLiteral("\x1E"), QStringLiteral("a\nb")}) {
        SCOPED_TRACE("the separator or a line break");
        editor.ButtonText(1).setCursorPosition(4);
        editor.ButtonText(1).insert(typed);
        EXPECT_EQ(editor.ButtonText(1).text(), QString::fromUtf8("Café"));
        EXPECT_EQ(prompts_.Messages().back(),
                  "Error - A label cannot hold a line break or the separator character (1E hex)");
    }

    // Below the design size controls and fonts shrink.
    Latin1Field& label = editor.ButtonText(1);
    const QRect before = label.geometry();
    const int fontBefore = label.font().pixelSize();
    editor.resize(editor.width() / 2, editor.height() / 2);
    QCoreApplication::processEvents();
    EXPECT_NEAR(label.geometry().width(), before.width() / 2.0, 2.0);
    EXPECT_NEAR(label.geometry().left(), before.left() / 2.0, 2.0);
    EXPECT_LT(label.font().pixelSize(), fontBefore);
}

// The checks themselves are the bare field's table; here the editor's part: its notation and
// range message reach the fields, a bad string keeps the focus, and every string left is handed
// to the calculator, valid or not.
TEST_F(EditfrmTest, FieldsCheckInTheEditorsNotationAndLeavingRecordsTheString) {
    Editfrm& editor = ActiveEditor("Decimal");
    editor.UpDown1_UpClick();  // rows 11 to 20
    NotationField& row = editor.StringText(13);
    for (const char* text : {"300 ", "065 "}) {
        SCOPED_TRACE(text);
        const bool valid = text[0] == '0';
        row.setText(text);
        Leave(editor, 13);
        EXPECT_EQ(QApplication::focusWidget(),
                  valid ? static_cast<QWidget*>(&editor.ButtonText(13)) : &row)
            << "a bad string takes the focus back";
        EXPECT_EQ(prompts_.Messages().size(), 1u);
        EXPECT_EQ(state_.ChecksumString, text);
        EXPECT_EQ(state_.ChecksumRow, 13);
    }

    NotationField& field = editor.StringText(14);
    field.setFocus();
    QTest::keyClicks(&field, "256");
    EXPECT_EQ(field.text(), "25");
    EXPECT_EQ(LastMessage(), "Error - Decimal value must be in the range 0-255");
}

// Pressing the check button leaves the field being edited: that one goes to the calculator.
TEST_F(EditfrmTest, TheFieldLeftForTheCheckButtonIsTheOneHandedOver) {
    Editfrm& editor = ActiveEditor("Hex");
    editor.StringText(1).setText("01 ");
    editor.StringText(2).setText("02 ");
    Leave(editor, 2);
    editor.StringText(1).setFocus(Qt::MouseFocusReason);
    editor.CheckButton().setFocus(Qt::MouseFocusReason);
    editor.CheckButton_Click();
    Checkfrm* calculator = Calculator();
    ASSERT_NE(calculator, nullptr);
    EXPECT_EQ(calculator->Text1().text(), "01 ");
    EXPECT_EQ(state_.ChecksumRow, 1);
    EXPECT_EQ(state_.ChecksumMode, 2);
}

TEST_F(EditfrmTest, PagingAwayFromAFieldLeavesItOnce) {
    Editfrm& editor = ActiveEditor("Hex");
    NotationField& field = editor.StringText(5);
    field.setFocus();
    QTest::keyClicks(&field, "41");
    QTest::mouseClick(editor.UpDown1().UpButton(), Qt::LeftButton);
    EXPECT_TRUE(editor.ButtonLabel(1).isHidden());
    EXPECT_EQ(QApplication::focusWidget(), &editor.ButtonText(11));
    EXPECT_EQ(state_.ChecksumString, "41 ");
    EXPECT_EQ(state_.ChecksumRow, 5) << "the rows hidden after it were never entered";

    // A string that is not well formed keeps the focus, and so its block stays.
    NotationField& bad = editor.StringText(12);
    bad.setFocus();
    QTest::keyClicks(&bad, "4");
    QTest::mouseClick(editor.UpDown1().UpButton(), Qt::LeftButton);
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{"Error - Each Hex value must be in the range 00-FF"});
    EXPECT_FALSE(editor.ButtonLabel(11).isHidden());
    EXPECT_TRUE(editor.ButtonLabel(21).isHidden());
    EXPECT_EQ(QApplication::focusWidget(), &bad);
    EXPECT_EQ(state_.ChecksumRow, 12);
    QTest::keyClicks(&bad, "2");
    EXPECT_EQ(bad.text(), "42 ");
}

}  // namespace
}  // namespace kestrum
