// Text pasted into every box that takes data, holding characters outside Latin-1 (which have no
// byte of their own): the paste is refused as a whole with a message, the box keeps what it
// had, and what is later sent or saved is what the box showed. A Latin-1 paste is taken.
// (Such characters typed are refused by the bare NotationField's table, in each notation.)

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

#include "ui/editor/editor_fixture.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1_field.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

const QString kRefused = QString::fromLatin1(kNotLatin1Message);

// Characters no byte stands for, each pasted behind Latin-1 text so a partial paste would show:
// one code unit above Latin-1, and a surrogate pair.
const QString kHostile[] = {
    QStringLiteral("A\u20AC"),       // euro sign
    QStringLiteral("AB\U0001F600"),  // outside the basic plane (a surrogate pair)
};

class BadPasteTest : public EditorTest {
protected:
    // Pastes `text` at the end of `field`; returns the messages it caused.
    std::vector<QString> Paste(QLineEdit& field, const QString& text) {
        const std::size_t before = prompts_.Messages().size();
        QApplication::clipboard()->setText(text);
        field.setFocus();
        field.end(false);
        field.paste();
        return {prompts_.Messages().begin() + static_cast<std::ptrdiff_t>(before),
                prompts_.Messages().end()};
    }
};

TEST_F(BadPasteTest, EveryDataBoxRefusesCharactersWithoutAByte) {
    Mainfrm& window = StartWithTools();
    Editfrm& editor = OpenEditor();  // in Hex
    window.Combo2().SetText("Ascii");
    window.SendBox().setText("abc");
    window.CheckButton_Click();
    ASSERT_NE(Calculator(), nullptr);
    struct Box {
        const char* name;
        QString before;  // valid text the box holds before the paste
        QLineEdit* field;
        bool takesAnyLatin1;  // an Ascii-notation or label box
    };
    const Box boxes[] = {
        {"String to Send", "ok", &window.SendBox(), true},
        {"editor label", "Reset", &editor.ButtonText(1), true},
        {"editor command, Hex", "41 ", &editor.StringText(2), false},
        {"checksum calculator", "abc", &Calculator()->Text1(), true},
    };
    for (const Box& box : boxes) {
        SCOPED_TRACE(box.name);
        box.field->setText(box.before);
        for (const QString& hostile : kHostile) {
            SCOPED_TRACE(hostile.toStdString());
            EXPECT_EQ(Paste(*box.field, hostile), std::vector<QString>{kRefused});
            EXPECT_EQ(box.field->text(), box.before) << "the paste was not refused as a whole";
        }
        if (box.takesAnyLatin1) {
            EXPECT_TRUE(Paste(*box.field, QStringLiteral("\u00FF\u00E9")).empty());
            EXPECT_EQ(box.field->text(), box.before + QStringLiteral("\u00FF\u00E9"));
        }
    }

    // What leaves is what the boxes showed.
    port_.ClearRecords();
    window.SendButton_Click();
    EXPECT_EQ(port_.Written(), "ok\xFF\xE9");
    prompts_.QueueSaveFile(Path("pasted.cmd"));
    editor.SaveButton_Click();
    const std::optional<CommandSet> saved = ReadCommandSet(Path("pasted.cmd"));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ((*saved)[0].label, "Reset\xFF\xE9");
    EXPECT_EQ((*saved)[1].command, "41 ");
}

}  // namespace
}  // namespace kestrum
