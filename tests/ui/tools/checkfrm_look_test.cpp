// The checksum calculator as a person sees it. With KESTRUM_SCREENSHOT_DIR set, the picture
// is also written there for review.

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include "ui/main/drop_down_list.h"

#include "ui/editor/editor_fixture.h"
#include "ui/editor/latin1_field.h"
#include "ui/main/notation_field.h"

namespace kestrum {
namespace {

using CheckfrmLookTest = EditorTest;

TEST_F(CheckfrmLookTest, CalculatorAfterACalculate) {
    Mainfrm& window = StartWithTools();
    window.SendBox().setText("02 31 30 30 03 ");
    window.CheckButton_Click();
    Checkfrm* calculator = Calculator();
    ASSERT_NE(calculator, nullptr);
    calculator->CalculateButton_Click();

    const QImage image = calculator->grab().toImage();
    ASSERT_FALSE(image.isNull());
    // The longest type label fits the list without being cut.
    const QComboBox& list = calculator->Combo1();
    EXPECT_LE(list.sizeHint().width(), list.width());
    for (const QLabel* label : calculator->findChildren<QLabel*>()) {
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    }
    for (const QPushButton* button : calculator->findChildren<QPushButton*>()) {
        const int textWidth = button->fontMetrics().horizontalAdvance(button->text());
        EXPECT_LE(textWidth + 16, button->width()) << button->text().toStdString();
    }
    if (const QByteArray dir = qgetenv("KESTRUM_SCREENSHOT_DIR"); !dir.isEmpty()) {
        image.save(QString::fromLocal8Bit(dir) + "/checksum-calculator.png");
    }
}

}  // namespace
}  // namespace kestrum
