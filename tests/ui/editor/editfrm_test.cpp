// The command set editor window: loading, notation, paging, save and closing.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "ui/editor/editor_fixture.h"
#include "ui/editor/latin1_field.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/notation_field.h"
#include "ui/main/up_down_control.h"

namespace kestrum {
namespace {

using EditfrmTest = EditorTest;

CommandSet TenCommands() {
    CommandSet set{};
    for (std::size_t i = 0; i < 10; ++i) {
        set[i] = {"Cmd " + std::to_string(i + 1), "41 42 "};
    }
    set[34] = {"Late", "0D 5E "};  // a row of a hidden block
    return set;
}

// The first row of the one block shown; fails when not exactly one whole block is shown.
int ShownBlock(const Editfrm& editor) {
    int first = 0;
    int shown = 0;
    for (int i = 1; i <= 40; ++i) {
        const bool label = !editor.ButtonLabel(i).isHidden();
        EXPECT_EQ(label, !editor.ButtonText(i).isHidden()) << "row " << i;
        EXPECT_EQ(label, !editor.StringText(i).isHidden()) << "row " << i;
        if (label) {
            first = first == 0 ? i : first;
            ++shown;
        }
    }
    EXPECT_EQ(shown, 10);
    EXPECT_EQ((first - 1) % 10, 0);
    return first;
}

TEST_F(EditfrmTest, OpensOnTheMainWindowsRowsInItsNotation) {
    StoreStartupSet(TenCommands());
    settings_.SaveSetting("Filetype", "Decimal");
    Mainfrm& window = StartWithTools();
    state_.ChecksumString = "left over";
    Editfrm& editor = OpenEditor();

    EXPECT_EQ(editor.windowTitle(), "Edit Com Set");
    EXPECT_EQ(editor.ComSetText().text(), Path("Start.cmd"));
    EXPECT_EQ(editor.Combo2().Text(), "Decimal");
    EXPECT_EQ(state_.EditorMode, 3);
    EXPECT_TRUE(state_.ChecksumString.empty()) << "opening forgets any earlier hand-over";
    EXPECT_EQ(editor.ButtonLabel(12).text(), "Button 12");
    EXPECT_EQ(editor.ButtonText(1).text(), "Cmd 1");
    EXPECT_EQ(editor.StringText(1).text(), "065 066 ") << "Hex 41 42 shown in Decimal";
    EXPECT_EQ(editor.StringText(35).text(), "013 094 ");
    EXPECT_EQ(editor.StringText(20).text(), "");
    EXPECT_EQ(ShownBlock(editor), 1);
    EXPECT_FALSE(editor.ComSetSaved());

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
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(EditfrmTest, AnOpenEditorIsRaisedNotOpenedAgainAndAClosedOneKeepsNothing) {
    StoreStartupSet(TenCommands());
    StartWithTools();
    Editfrm& editor = OpenEditor();
    editor.ButtonText(1).setText("edited");
    editor.UpDown1_UpClick();
    Editfrm& again = OpenEditor();
    EXPECT_EQ(&again, &editor);
    EXPECT_EQ(OpenEditors(), 1);
    EXPECT_EQ(again.ButtonText(1).text(), "edited") << "not reloaded";

    editor.CloseButton_Click();
    EXPECT_EQ(Editor(), nullptr) << "closing destroys the window";
    Window().Combo2().SetText("Ascii");
    Editfrm& fresh = OpenEditor();
    EXPECT_EQ(fresh.ButtonText(1).text(), "Cmd 1");
    EXPECT_EQ(fresh.StringText(1).text(), "AB") << "the main window's current notation";
    EXPECT_EQ(fresh.Combo2().Text(), "Ascii");
    EXPECT_EQ(ShownBlock(fresh), 1);
}

TEST_F(EditfrmTest, BlocksPageForwardWithUpAndBackWithDownAndStopAtTheEnds) {
    StartWithTools();
    Editfrm& editor = OpenEditor();
    editor.UpDown1_DownClick();
    EXPECT_EQ(ShownBlock(editor), 1) << "down on the first block does nothing";
    for (const int expected : {11, 21, 31, 31}) {
        QTest::mouseClick(editor.UpDown1().UpButton(), Qt::LeftButton);
        EXPECT_EQ(ShownBlock(editor), expected);
    }
    for (const int expected : {21, 11, 1, 1}) {
        QTest::mouseClick(editor.UpDown1().DownButton(), Qt::LeftButton);
        EXPECT_EQ(ShownBlock(editor), expected);
    }
    EXPECT_EQ(editor.UpDown1().toolTip(), "Select Command buttons to view");
}

TEST_F(EditfrmTest, TabOrderRunsLabelThenStringRowByRow) {
    StartWithTools();
    Editfrm& editor = OpenEditor();
    std::vector<QWidget*> chain;
    QWidget* widget = &editor.ButtonText(1);
    for (int step = 0; step < 20; ++step) {
        chain.push_back(widget);
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus);
    }
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(chain[static_cast<std::size_t>(2 * i - 2)], &editor.ButtonText(i)) << i;
        EXPECT_EQ(chain[static_cast<std::size_t>(2 * i - 1)], &editor.StringText(i)) << i;
    }
}

TEST_F(EditfrmTest, ClosingWithoutASaveChangesNothing) {
    StoreStartupSet(TenCommands());
    Mainfrm& window = StartWithTools();
    const QStringList captions = Captions();
    const auto strings = state_.CommandStrings;
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Close button");
        Editfrm& editor = OpenEditor();
        editor.ButtonText(1).setText("Renamed");
        editor.StringText(2).setText("FF ");
        editor.ButtonText(40).setText("Forty");
        if (closeBox) {
            editor.close();
        } else {
            QTest::mouseClick(&editor.CloseButton(), Qt::LeftButton);
        }
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_EQ(Captions(), captions);
        EXPECT_EQ(state_.CommandStrings, strings);
        EXPECT_EQ(window.ComSetLabel().text(), Path("Start.cmd"));
    }
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(EditfrmTest, SaveWritesTheRowsAndClosingAppliesWhatTheRowsHoldThen) {
    StoreStartupSet(TenCommands());
    settings_.SaveSetting("Filetype", "Decimal");
    Mainfrm& window = StartWithTools();
    Editfrm& editor = OpenEditor();
    editor.StringText(3).setText("013 010 ");
    prompts_.QueueSaveFile(Path("Saved.cmd"));
    QTest::mouseClick(&editor.SaveButton(), Qt::LeftButton);

    ASSERT_EQ(prompts_.SaveRequests().size(), 1u);
    const FileDialogRequest& request = prompts_.SaveRequests()[0];
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
    EXPECT_TRUE(editor.ComSetSaved());
    EXPECT_EQ(editor.ComSetText().text(), Path("Saved.cmd"));
    EXPECT_EQ(state_.CommandFileName, Path("Saved.cmd"));
    EXPECT_EQ(settings_.GetSetting("Filename", ""), Path("Saved.cmd"));
    EXPECT_EQ(window.Command(3).text(), "Cmd 3") << "a save alone leaves the main window";
    EXPECT_EQ(state_.CommandStrings[3], "41 42 ");
    EXPECT_EQ(window.ComSetLabel().text(), Path("Start.cmd"));

    // Relabel after the save: the file keeps the old label, the main window gets the new one.
    editor.ButtonText(1).setText("Renamed");
    editor.close();
    EXPECT_TRUE(FileBytes(Path("Saved.cmd")).startsWith("Cmd 1\x1E"));
    EXPECT_EQ(window.Command(1).text(), "Renamed");
    EXPECT_EQ(state_.CommandStrings[1], "41 42 ");
    EXPECT_EQ(state_.CommandStrings[3], "0D 0A ");
    EXPECT_EQ(window.ComSetLabel().text(), Path("Saved.cmd"));
    EXPECT_TRUE(prompts_.Messages().empty());
    EXPECT_TRUE(prompts_.AllAnswersUsed());
}

TEST_F(EditfrmTest, SavingEmptyRowsWritesFortyLinesAndEmptiesThoseButtons) {
    CommandSet full{};
    for (std::size_t i = 0; i < 40; ++i) {
        full[i] = {"B" + std::to_string(i + 1), "0" + std::to_string(i % 10) + " "};
    }
    StoreStartupSet(full);
    Mainfrm& window = StartWithTools();
    Editfrm& editor = OpenEditor();
    for (int i = 11; i <= 40; ++i) {
        editor.ButtonText(i).clear();
        editor.StringText(i).clear();
    }
    prompts_.QueueSaveFile(Path("Short.cmd"));
    editor.SaveButton_Click();
    editor.CloseButton_Click();

    const QList<QByteArray> lines = FileBytes(Path("Short.cmd")).split('\n');
    ASSERT_EQ(lines.size(), 41) << "forty lines, each ending in CR LF";
    EXPECT_EQ(lines[9],
              "B10\x1E"
              "09 \r");
    EXPECT_EQ(lines[10], "\x1E\r");
    EXPECT_EQ(lines[39], "\x1E\r");
    EXPECT_EQ(window.Command(10).text(), "B10");
    for (int i = 11; i <= 40; ++i) {
        EXPECT_EQ(window.Command(i).text(), "") << i;
        EXPECT_EQ(state_.CommandStrings[static_cast<std::size_t>(i)], "") << i;
    }
}

TEST_F(EditfrmTest, CancelledSaveKeepsTheSavedStateAsItWas) {
    StoreStartupSet(TenCommands());
    Mainfrm& window = StartWithTools();
    Editfrm& editor = OpenEditor();
    editor.ButtonText(1).setText("Unsaved");
    prompts_.QueueSaveFile(std::nullopt);
    editor.SaveButton_Click();
    EXPECT_FALSE(editor.ComSetSaved());
    editor.close();
    EXPECT_EQ(window.Command(1).text(), "Cmd 1") << "never saved: nothing applied";

    Editfrm& second = OpenEditor();
    prompts_.QueueSaveFile(Path("First.cmd"));
    second.SaveButton_Click();
    second.ButtonText(1).setText("After");
    prompts_.QueueSaveFile(std::nullopt);
    second.SaveButton_Click();
    EXPECT_TRUE(second.ComSetSaved()) << "an earlier save still counts";
    second.close();
    EXPECT_EQ(window.Command(1).text(), "After");
    EXPECT_EQ(window.ComSetLabel().text(), Path("First.cmd"));
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(EditfrmTest, FailedSaveSaysSoAndChangesNothing) {
    StoreStartupSet(TenCommands());
    Mainfrm& window = StartWithTools();
    Editfrm& editor = OpenEditor();
    editor.ButtonText(1).setText("Unsaved");
    const QString unwritable = Path("no-such-folder/Set.cmd");
    prompts_.QueueSaveFile(unwritable);
    editor.SaveButton_Click();

    ASSERT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_TRUE(prompts_.Messages()[0].startsWith("Error - The Command Set could not be saved to " +
                                                  unwritable + ": "))
        << prompts_.Messages()[0].toStdString();
    EXPECT_FALSE(editor.ComSetSaved());
    EXPECT_EQ(editor.ComSetText().text(), Path("Start.cmd"));
    EXPECT_EQ(state_.CommandFileName, Path("Start.cmd"));
    EXPECT_EQ(settings_.GetSetting("Filename", ""), Path("Start.cmd"));
    editor.close();
    EXPECT_EQ(window.Command(1).text(), "Cmd 1");

    // After a good save, a failed one keeps the good file as the current command set.
    Editfrm& second = OpenEditor();
    prompts_.QueueSaveFile(Path("Good.cmd"));
    second.SaveButton_Click();
    prompts_.QueueSaveFile(unwritable);
    second.SaveButton_Click();
    EXPECT_EQ(prompts_.Messages().size(), 2u);
    EXPECT_TRUE(second.ComSetSaved());
    second.close();
    EXPECT_EQ(window.ComSetLabel().text(), Path("Good.cmd"));
    EXPECT_EQ(settings_.GetSetting("Filename", ""), Path("Good.cmd"));
}

TEST_F(EditfrmTest, CheckButtonWithNothingLeftAsksForAString) {
    StartWithTools();
    state_.ChecksumString = "from before";
    Editfrm& editor = OpenEditor();
    QTest::mouseClick(&editor.CheckButton(), Qt::LeftButton);
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{"Click on a String to calculate"});
    EXPECT_EQ(Calculator(), nullptr);
}

TEST_F(EditfrmTest, LabelsAreBytesAndRefuseWhatTheFileCannotHold) {
    CommandSet set{};
    set[0] = {"Caf\xE9", "41 "};
    StoreStartupSet(set);
    Mainfrm& window = StartWithTools();
    Editfrm& editor = OpenEditor();
    EXPECT_EQ(editor.ButtonText(1).text(), QString::fromUtf8("Café"));

    struct Case {
        const char* reason;
        QString typed;
        const char* message;
    };
    const Case cases[] = {
        {"no Latin-1 code", QString::fromUtf8("€"),
         "Error - Only characters of the Latin-1 character set can be entered"},
        {"the field separator", QStringLiteral("\x1E"),
         "Error - A label cannot hold a line break or the separator character (1E hex)"},
        {"a line break", QStringLiteral("a\nb"),
         "Error - A label cannot hold a line break or the separator character (1E hex)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        editor.ButtonText(1).setCursorPosition(4);
        editor.ButtonText(1).insert(c.typed);
        EXPECT_EQ(editor.ButtonText(1).text(), QString::fromUtf8("Café"));
        EXPECT_EQ(prompts_.Messages().back(), c.message);
    }
    QTest::keyClicks(&editor.ButtonText(1), QString::fromUtf8("!ß"));
    prompts_.QueueSaveFile(Path("Latin.cmd"));
    editor.SaveButton_Click();
    editor.close();
    EXPECT_TRUE(FileBytes(Path("Latin.cmd"))
                    .startsWith("Caf\xE9!\xDF\x1E"
                                "41 \r\n"));
    EXPECT_EQ(window.Command(1).text(), QString::fromUtf8("Café!ß"));
}

}  // namespace
}  // namespace kestrum
