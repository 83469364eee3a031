// The notation entry checks as a person meets them, typed into a bare NotationField: the key
// filter, the automatic space after a completed group and the whole-string check on leaving.
// One table for the String to Send box and the editor's command fields; the owner column picks
// the Decimal range message, the one text in which the two windows differ.

#include <gtest/gtest.h>

#include <QTest>

#include "support/scripted_prompts.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using enum DisplayMode;
constexpr EntryField kBox = EntryField::SendBox;
constexpr EntryField kEditor = EntryField::EditorField;

const QString kHexKey = "Error - Input value must be in the range 0-9 or A-F";
const QString kDecimalKey = "Error - Input value must be in the range 0-9";
const QString kBoxRange = "Error - Decimal value must be in the range 000-255";
const QString kEditorRange = "Error - Decimal value must be in the range 0-255";
const QString kHexString = "Error - Each Hex value must be in the range 00-FF";
const QString kDecimalString = "Error - Each Decimal value must be in the range 000-255";
const QString kSpaces = "Error - Too many spaces";
const QString kNoByte = "Error - Only characters of the Latin-1 character set can be entered";

struct Row {
    const char* reason;
    DisplayMode mode;
    EntryField owner;
    QString start;  // "|" marks the caret
    QString keys;   // "\b" is Backspace
    bool leave;     // then the field loses the focus
    QString shown;  // the text afterwards, "|" at the caret
    QStringList messages;
};

const Row kRows[] = {
    // Keys in Hex.
    {"pairs get their space", Hex, kBox, "|", "4142", false, "41 42 |", {}},
    {"lower case is upper-cased", Hex, kBox, "|", "4a", false, "4A |", {}},
    {"space and letters past F refused", Hex, kEditor, "|", "4 G", false, "4|", {kHexKey, kHexKey}},
    {"a refusal clears the flag", Hex, kBox, "4|", "x\b", false, "|", {kHexKey}},
    {"a refused key leaves no space", Hex, kBox, "4|", "x1", false, "41 |", {kHexKey}},
    {"no second space when one follows", Hex, kBox, "4| 42 ", "1", false, "41| 42 ", {}},
    {"typing inside a group splits it", Hex, kBox, "4|1 ", "F", false, "4F |1 ", {}},
    {"Backspace at a group end adds no space", Hex, kBox, "4|1", "\b", false, "|1", {}},
    // Keys in Decimal.
    {"255 taken, 256 refused: the box",
     Decimal,
     kBox,
     "|",
     "255256",
     false,
     "255 25|",
     {kBoxRange}},
    {"256 refused: the editor", Decimal, kEditor, "|", "256", false, "25|", {kEditorRange}},
    {"Backspace after a refusal and after a space",
     Decimal,
     kEditor,
     "|",
     "256\b55\b",
     false,
     "255|",
     {kEditorRange}},
    {"letters, signs and high Latin-1 refused",
     Decimal,
     kBox,
     "|",
     "1a-\u00E9",
     false,
     "1|",
     {kDecimalKey, kDecimalKey, kDecimalKey}},
    {"a first space is taken", Decimal, kBox, "|", " ", false, " |", {}},
    // As a third key the space counts as 100*c1 + 10*c2 - 16: 26 gives 244, 28 gives 264.
    {"third-key space in range", Decimal, kEditor, "|", "26 ", false, "26  |", {}},
    {"third-key space out of range", Decimal, kBox, "|", "28 ", false, "28|", {kBoxRange}},
    {"a second group on its own", Decimal, kBox, "|", "001299", false, "001 29|", {kBoxRange}},
    {"Backspace at a third position adds no space", Decimal, kBox, "06|5", "\b", false, "0|5", {}},
    // Ascii, and keys without a byte in every notation.
    {"Ascii takes anything", Ascii, kEditor, "|", "G ^M^|", false, "G ^M^||", {}},
    {"no byte, Ascii", Ascii, kBox, "|", "\u20AC", false, "|", {kNoByte}},
    {"no byte, Hex", Hex, kBox, "|", "\u20AC", false, "|", {kNoByte}},
    {"no byte, Decimal", Decimal, kEditor, "|", "\u20AC", false, "|", {kNoByte}},
    // Leaving: the first fault is named and the caret put just after it. One row per check of
    // the whole-string test: a leading space is found as two spaces are, a lone digit as a
    // lower-case one, a wrong separator as a missing final space, a later short group as a first.
    {"control codes pass the digit test", Hex, kBox, "\x01\x02 |", "", true, "\x01|\x02 ", {}},
    {"a well-formed string", Hex, kBox, "41 42 |", "", true, "4|1 42 ", {}},
    {"two spaces in a row", Hex, kBox, "41  42 |", "", true, "41  |42 ", {kSpaces}},
    {"bad first digit", Hex, kBox, "G1 |", "", true, "G|1 ", {kHexString}},
    {"lower case pasted", Hex, kEditor, "4a |", "", true, "4a| ", {kHexString}},
    {"no final space", Hex, kEditor, "41 42|", "", true, "41 42|", {kHexString}},
    {"empty passes", Hex, kEditor, "|", "", true, "|", {}},
    {"a valid Decimal string", Decimal, kBox, "065 066 |", "", true, "0|65 066 ", {}},
    {"digits are not tested, only the value", Decimal, kEditor, "0A0 |", "", true, "0|A0 ", {}},
    {"above 255", Decimal, kEditor, "300 |", "", true, "300| ", {kDecimalString}},
    {"short group, caret at the end", Decimal, kBox, "06|", "", true, "06|", {kDecimalString}},
    {"two spaces in Decimal", Decimal, kBox, "065  066 |", "", true, "065  |066 ", {kSpaces}},
    {"wrong Decimal separator", Decimal, kBox, "065x|", "", true, "065x|", {kDecimalString}},
    {"Ascii passes anything", Ascii, kEditor, "^M^J x|", "", true, "^|M^J x", {}},
};

TEST(NotationFieldTyping, KeysSpacesAndTheLeaveCheck) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.reason);
        ScriptedPrompts prompts;
        EntryState state;
        NotationField field(
            row.owner, state, [&row] { return row.mode; }, prompts);
        field.setText(QString(row.start).remove('|'));
        field.setCursorPosition(static_cast<int>(row.start.indexOf('|')));
        for (const QChar key : row.keys) {
            if (key == '\b') {
                QTest::keyClick(&field, Qt::Key_Backspace);
            } else {
                QTest::sendKeyEvent(QTest::Click, &field, Qt::Key_unknown, QString(key),
                                    Qt::NoModifier);
            }
        }
        if (row.leave) {
            field.LostFocus();
        }
        EXPECT_EQ(field.text().insert(field.cursorPosition(), '|'), row.shown);
        EXPECT_EQ(QStringList(prompts.Messages().begin(), prompts.Messages().end()), row.messages);
    }
}

}  // namespace
}  // namespace kestrum
