// The checksum calculator as reached from the main window and from the command set editor.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "notation/checksum.h"
#include "ui/editor/editor_fixture.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1_field.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

class CheckfrmTest : public EditorTest {
protected:
    // The main window's check button with `text` in the String to Send box.
    Checkfrm& OpenFromMain(const QString& text) {
        FlushDeletes();  // a calculator closed earlier is gone by the next click
        Window().SendBox().setText(text);
        Window().CheckButton_Click();
        return Opened();
    }

    // The editor's check button after leaving row `row` holding `text`.
    Checkfrm& OpenFromEditor(Editfrm& editor, int row, const QString& text) {
        FlushDeletes();
        editor.StringText(row).setText(text);
        editor.StringText(row).LostFocus();
        editor.CheckButton_Click();
        return Opened();
    }

    Checkfrm& Opened() {
        if (Checkfrm* calculator = Calculator()) {
            return *calculator;
        }
        throw std::logic_error("no calculator opened");
    }

    static QString Label(std::size_t index) {
        return QString::fromLatin1(kChecksumTypeLabels[index].data(),
                                   static_cast<qsizetype>(kChecksumTypeLabels[index].size()));
    }
};

// The sums and their notations are AppendChecksum's tables; here the calculator takes the
// window's notation and the type picked, and closing writes the result back.
TEST_F(CheckfrmTest, CalculateInTheWindowsNotationAndCloseWritesBack) {
    settings_.SaveSetting("Filetype", "Ascii");
    Mainfrm& window = StartWithTools();
    Checkfrm& calculator = OpenFromMain("abc");
    calculator.Combo1().SetText(Label(1));
    QTest::mouseClick(&calculator.CalculateButton(), Qt::LeftButton);
    EXPECT_EQ(calculator.Text1().text(), QStringLiteral("abc\u00D9"));
    QTest::mouseClick(&calculator.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(Calculator(), nullptr);
    EXPECT_EQ(window.SendBox().text(), QStringLiteral("abc\u00D9"));
    EXPECT_TRUE(state_.ChecksumString.empty());
    EXPECT_EQ(settings_.GetSetting("Checksum", ""), Label(1));
    EXPECT_TRUE(prompts_.Messages().empty());
}

TEST_F(CheckfrmTest, OpensOnTheStoredTypeAndWithNoTypeCalculatesNothing) {
    constexpr int kBlank = static_cast<int>(kChecksumTypeLabels.size());
    struct Case {
        const char* reason;
        std::optional<QString> stored;
        int selected;  // index in the list, -1 for none
        QString calculated;
    };
    const Case cases[] = {
        {"nothing stored: the first type", std::nullopt, 0, "41 BF "},
        {"a stored type", Label(3), 3, "41 41 "},
        {"the blank entry stored", QString(""), kBlank, "41 "},
        {"a text that is no entry", QString("CRC-16"), -1, "41 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        SettingsStore settings(Path(QStringLiteral("%1.ini").arg(c.selected + 2)));
        if (c.stored) {
            settings.SaveSetting("Checksum", *c.stored);
        }
        state_.ChecksumString = "41 ";
        Checkfrm calculator(state_, settings, prompts_);
        EXPECT_EQ(calculator.Combo1().count(), kBlank + 1);
        EXPECT_EQ(calculator.Combo1().currentIndex(), c.selected);
        EXPECT_EQ(calculator.Text1().text(), "41 ");
        calculator.CalculateButton_Click();
        EXPECT_EQ(calculator.Text1().text(), c.calculated);
    }
}

TEST_F(CheckfrmTest, FromTheMainWindowClearUndoesTheLastCalculateAndOnlyItsCloseWritesBack) {
    Mainfrm& window = StartWithTools();
    window.CheckButton_Click();
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{"No string to calculate"});
    EXPECT_EQ(Calculator(), nullptr);

    // Before any Calculate, Clear empties the box, and closing empties the caller's string.
    Checkfrm& first = OpenFromMain("41 42 ");
    first.CancelButton_Click();
    EXPECT_EQ(first.Text1().text(), "");
    first.CloseButton_Click();
    EXPECT_EQ(window.SendBox().text(), "");

    Checkfrm& second = OpenFromMain("61 62 63 ");
    second.Combo1().SetText("XOR");
    second.CalculateButton_Click();
    second.CalculateButton_Click();
    EXPECT_EQ(second.Text1().text(), "61 62 63 60 00 ") << "the second sum covers the first";
    QTest::mouseClick(&second.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(second.Text1().text(), "61 62 63 60 ");
    second.close();  // the close box
    EXPECT_EQ(Calculator(), nullptr);
    EXPECT_EQ(window.SendBox().text(), "61 62 63 60 ");

    // The text goes back as it stands: typed freely, no automatic space, no notation check.
    Checkfrm& third = OpenFromMain("41 ");
    QTest::keyClicks(&third.Text1(), "4");
    window.SendBox().setText("changed meanwhile");
    third.close();
    EXPECT_EQ(window.SendBox().text(), "41 4");
    EXPECT_EQ(prompts_.Messages().size(), 1u);

    // Closing the main window writes nothing back.
    OpenFromMain("41 ").Text1().setText("42 ");
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    QApplication::exec();
    EXPECT_EQ(window.SendBox().text(), "41 ") << "the calculator goes without its close handling";
}

TEST_F(CheckfrmTest, AskingAgainWhileOpenKeepsTheTextButTakesTheNewModeAndRow) {
    Mainfrm& window = StartWithTools();
    Checkfrm& calculator = OpenFromMain("61 62 63 ");
    Editfrm& editor = OpenEditor();
    editor.Combo2().SetText("Decimal");
    Checkfrm& again = OpenFromEditor(editor, 2, "001 ");
    EXPECT_EQ(&again, &calculator);
    EXPECT_EQ(again.Text1().text(), "61 62 63 ") << "not loaded again";

    again.Text1().setText("097 098 099 ");
    again.Combo1().SetText("OR");
    again.CalculateButton_Click();
    EXPECT_EQ(again.Text1().text(), "097 098 099 099 ") << "in the editor's notation";
    again.CloseButton_Click();
    EXPECT_EQ(editor.StringText(2).text(), "097 098 099 099 ");
    EXPECT_EQ(window.SendBox().text(), "61 62 63 ") << "the first caller is left alone";
    EXPECT_TRUE(state_.ChecksumString.empty());

    // Closing emptied the hand-over: the check button asks for a string again.
    editor.CheckButton_Click();
    EXPECT_EQ(prompts_.Messages(), std::vector<QString>{"Click on a String to calculate"});
}

TEST_F(CheckfrmTest, TheResultGoesToTheRowThatAskedOrNowhereOnceItsEditorIsGone) {
    Mainfrm& window = StartWithTools();
    window.SendBox().setText("11 ");
    Editfrm& editor = OpenEditor();
    Checkfrm& calculator = OpenFromEditor(editor, 3, "41 ");
    // Leaving another row while the calculator is open does not redirect the result.
    editor.StringText(5).setText("55 ");
    editor.StringText(5).LostFocus();
    calculator.Combo1().SetText("OR");
    calculator.CalculateButton_Click();
    calculator.CloseButton_Click();
    EXPECT_EQ(editor.StringText(3).text(), "41 41 ");
    EXPECT_EQ(editor.StringText(5).text(), "55 ");

    Checkfrm& again = OpenFromEditor(editor, 3, "41 ");
    prompts_.QueueAnswer(Answer::No);
    editor.CloseButton_Click();
    EXPECT_EQ(Editor(), nullptr);
    again.CalculateButton_Click();
    again.CloseButton_Click();
    EXPECT_EQ(Calculator(), nullptr);
    EXPECT_EQ(window.SendBox().text(), "11 ");
    EXPECT_EQ(OpenEditor().StringText(3).text(), "") << "a new editor is not the one that asked";
    EXPECT_TRUE(prompts_.Messages().empty());
}

}  // namespace
}  // namespace kestrum
