// The editor's forty command string fields as the user types into them and leaves them.

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "ui/editor/editor_fixture.h"
#include "ui/editor/latin1_field.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/notation_field.h"
#include "ui/main/up_down_control.h"

namespace kestrum {
namespace {

class EditorFieldsTest : public EditorTest {
protected:
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

struct TypingCase {
    const char* reason;
    const char* mode;
    QString keys;
    const char* text;     // the field afterwards
    const char* message;  // the last message shown, or ""
};

TEST_F(EditorFieldsTest, KeysAreCheckedAsTyped) {
    const char* const hexKey = "Error - Input value must be in the range 0-9 or A-F";
    const char* const decimalKey = "Error - Input value must be in the range 0-9";
    const char* const decimalRange = "Error - Decimal value must be in the range 0-255";
    const TypingCase cases[] = {
        {"hex pairs get their space", "Hex", "4142", "41 42 ", ""},
        {"lower-case hex entered upper-case", "Hex", "b", "B", ""},
        {"space refused in hex", "Hex", "4 ", "4", hexKey},
        {"letter past F refused", "Hex", "G", "", hexKey},
        {"decimal group gets its space", "Decimal", "255", "255 ", ""},
        {"decimal above 255: editor message", "Decimal", "256", "25", decimalRange},
        {"group check counts a space as -16", "Decimal", "26 ", "26  ", ""},
        {"letter refused in decimal", "Decimal", "1a", "1", decimalKey},
        {"space accepted in decimal", "Decimal", " ", " ", ""},
        {"ascii takes anything", "Ascii", "G ^M^|", "G ^M^|", ""},
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.reason);
        prompts_ = ScriptedPrompts{};
        Editfrm& editor = ActiveEditor(c.mode);
        NotationField& field = editor.StringText(4);
        field.setFocus();
        QTest::keyClicks(&field, c.keys);
        EXPECT_EQ(field.text(), QString::fromLatin1(c.text));
        EXPECT_EQ(LastMessage(), QString::fromLatin1(c.message));
    }
}

TEST_F(EditorFieldsTest, BackspaceIsNeverRefusedAndNeverAddsASpace) {
    Editfrm& editor = ActiveEditor("Decimal");
    NotationField& field = editor.StringText(1);
    field.setFocus();
    QTest::keyClicks(&field, "256");
    ASSERT_EQ(field.text(), "25");
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "2") << "right after a refused key";
    QTest::keyClicks(&field, "55");
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "255");
    EXPECT_EQ(prompts_.Messages().size(), 1u);
}

TEST_F(EditorFieldsTest, TypingInsideAGroupSplitsIt) {
    Editfrm& editor = ActiveEditor("Hex");
    NotationField& field = editor.StringText(2);
    field.setText("41 ");
    field.setFocus();
    field.setCursorPosition(1);
    QTest::keyClick(&field, Qt::Key_F);
    EXPECT_EQ(field.text(), "4F 1 ");
}

struct LeaveCase {
    const char* reason;
    const char* mode;
    const char* text;
    const char* message;  // "" when the string is valid
    int caret;            // after the check
};

TEST_F(EditorFieldsTest, LeavingChecksTheStringAndAlwaysRecordsItForTheCalculator) {
    const LeaveCase cases[] = {
        {"hex well formed", "Hex", "41 42 ", "", 1},
        {"hex without the final space", "Hex", "41 42",
         "Error - Each Hex value must be in the range 00-FF", 5},
        {"hex pasted lower case", "Hex", "4a ", "Error - Each Hex value must be in the range 00-FF",
         2},
        {"decimal above 255", "Decimal", "300 ",
         "Error - Each Decimal value must be in the range 000-255", 3},
        {"decimal leading space", "Decimal", " 065 ", "Error - Too many spaces", 1},
        {"decimal digits not tested, only the value", "Decimal", "0A0 ", "", 1},
        {"ascii anything", "Ascii", "^M^J x", "", 1},
        {"empty", "Hex", "", "", 0},
    };
    for (const LeaveCase& c : cases) {
        SCOPED_TRACE(c.reason);
        prompts_ = ScriptedPrompts{};
        Editfrm& editor = ActiveEditor(c.mode);
        editor.UpDown1_UpClick();  // rows 11 to 20
        NotationField& field = editor.StringText(13);
        field.setText(QString::fromLatin1(c.text));
        Leave(editor, 13);
        EXPECT_EQ(LastMessage(), QString::fromLatin1(c.message));
        EXPECT_EQ(field.cursorPosition(), c.caret);
        const bool valid = *c.message == '\0';
        EXPECT_EQ(QApplication::focusWidget(),
                  valid ? static_cast<QWidget*>(&editor.ButtonText(13)) : &field)
            << "a bad string takes the focus back";
        EXPECT_EQ(state_.ChecksumString, c.text);
        EXPECT_EQ(state_.ChecksumRow, 13);
    }
}

TEST_F(EditorFieldsTest, TheFieldLeftLastIsTheOneHandedOver) {
    Editfrm& editor = ActiveEditor("Hex");
    editor.StringText(1).setText("01 ");
    editor.StringText(2).setText("02 ");
    Leave(editor, 1);
    Leave(editor, 2);
    EXPECT_EQ(state_.ChecksumString, "02 ");
    EXPECT_EQ(state_.ChecksumRow, 2);

    // Pressing the check button leaves the field being edited: that one goes to the calculator.
    editor.StringText(1).setFocus(Qt::MouseFocusReason);
    editor.CheckButton().setFocus(Qt::MouseFocusReason);
    editor.CheckButton_Click();
    Checkfrm* calculator = Calculator();
    ASSERT_NE(calculator, nullptr);
    EXPECT_EQ(calculator->Text1().text(), "01 ");
    EXPECT_EQ(state_.ChecksumRow, 1);
    EXPECT_EQ(state_.ChecksumMode, 2);
}

TEST_F(EditorFieldsTest, PagingAwayFromAFieldLeavesItOnce) {
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
