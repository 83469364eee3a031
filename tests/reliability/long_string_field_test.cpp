// A 10 MB string in the String to Send box: put there, typed into and repainted at the pace of
// a short one (the field draws only what is in view), with the key filter, the automatic space
// and the clipboard still working on the whole text, and sent whole.
// Speed figures: bench/entry_field_bench.cpp.

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>

#include <iostream>

#include "support/reliability_helpers.h"
#include "ui/editor/editor_fixture.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

constexpr qsizetype k10MB = 10 * 1000 * 1000;

class LongStringFieldTest : public EditorTest {
protected:
    NotationField& ShownSendBox() {
        Mainfrm& window = Start();
        window.show();
        window.activateWindow();
        NotationField& box = window.SendBox();
        box.setFocus();
        QApplication::processEvents();
        return box;
    }
};

TEST_F(LongStringFieldTest, TenMegabytesAreEditedAtThePaceOfAShortStringAndWhole) {
    NotationField& box = ShownSendBox();
    Window().Combo2().SetText("Ascii");
    QElapsedTimer clock;
    clock.start();
    box.setText(QString(k10MB, QLatin1Char('A')));
    box.repaint();
    QTest::keyClick(&box, Qt::Key_B);
    box.repaint();
    // Generous: a line edit laying the text out whole takes seconds for each of the two.
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(box.DrawsOnlyVisiblePart());
    EXPECT_EQ(box.text().size(), k10MB + 1);
    EXPECT_EQ(box.text().back(), QLatin1Char('b'));
    EXPECT_TRUE(prompts_.Messages().empty());

    // Keys, selection, the clipboard and the key filter work on the whole text.
    const QString text = QString(5000, QLatin1Char('x')) + QStringLiteral("0123456789");
    box.setText(text);
    ASSERT_TRUE(box.DrawsOnlyVisiblePart());
    QTest::keyClick(&box, Qt::Key_End);
    QTest::keyClick(&box, Qt::Key_Left);
    QTest::keyClick(&box, Qt::Key_Backspace);  // takes the 8
    QTest::keyClick(&box, Qt::Key_Delete);     // takes the 9
    EXPECT_TRUE(box.text().endsWith(QStringLiteral("01234567")))
        << box.text().right(10).toStdString();
    QTest::keyClick(&box, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("67"));
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(box.text().startsWith(QStringLiteral("67xxx")));

    // The key filter and the automatic space still hold in Hex.
    Window().Combo2().SetText("Hex");
    QString hex;
    for (int i = 0; i < 2000; ++i) {
        hex += QStringLiteral("41 ");
    }
    box.setText(hex);
    ASSERT_TRUE(box.DrawsOnlyVisiblePart());
    QTest::keyClick(&box, Qt::Key_End);
    QTest::keyClicks(&box, QStringLiteral("4g2"));  // g is no hexadecimal digit
    EXPECT_TRUE(box.text().endsWith(QStringLiteral("41 42 "))) << box.text().right(8).toStdString();
    port_.ClearRecords();
    Window().SendButton_Click();
    EXPECT_EQ(port_.Written().substr(0, 2000), std::string(2000, 'A')) << "sent whole";
    EXPECT_EQ(port_.Written().at(2000), 'B');
    // Back to a short text: the line edit draws it again.
    box.setText(QStringLiteral("42 "));
    EXPECT_FALSE(box.DrawsOnlyVisiblePart());
}

TEST_F(LongStringFieldTest, TheEditorOpensASetWithATenMegabyteCommand) {
    std::string command;
    while (command.size() < static_cast<std::size_t>(k10MB)) {
        command += "41 ";
    }
    StoreStartupSet(CommandSet{{{"Big", command}}});
    StartWithTools();
    QElapsedTimer clock;
    clock.start();
    Editfrm& editor = OpenEditor();
    const qint64 opened = clock.elapsed();
    std::cout << "[ figures  ] the editor opened a set with a " << command.size()
              << "-character command in " << opened << " ms\n";
    EXPECT_LT(opened, 2000) << "generous: about 0.1 s here";
    EXPECT_TRUE(editor.StringText(1).DrawsOnlyVisiblePart());
    EXPECT_EQ(editor.StringText(1).text().size(), static_cast<qsizetype>(command.size()));
}

}  // namespace
}  // namespace kestrum
