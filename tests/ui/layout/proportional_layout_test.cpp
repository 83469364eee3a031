// Proportional layout: the rescaling rules per kind of control, the resize policies, and the
// main window growing, refusing to shrink and keeping its proportions over many resizes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBar>
#include <cmath>

#include "support/main_window_fixture.h"
#include "support/pty_pair.h"
#include "ui/layout/proportional_layout.h"
#include "ui/monitor/monitor_view.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

int PixelSize(const QWidget& widget) {
    return widget.font().pixelSize();
}

QFont PixelFont(int pixels) {
    QFont font;
    font.setPixelSize(pixels);
    return font;
}

QRect Scaled(const QRect& r, double x, double y) {
    return {static_cast<int>(std::lround(r.x() * x)), static_cast<int>(std::lround(r.y() * y)),
            static_cast<int>(std::lround(r.width() * x)),
            static_cast<int>(std::lround(r.height() * y))};
}

// A window with one control of every kind the rules tell apart.
struct Specimen {
    QWidget window;
    QLabel* label = new QLabel("Label", &window);
    QComboBox* combo = new QComboBox(&window);
    QFrame* line = new QFrame(&window);
    QFrame* frame = new QFrame(&window);
    QLabel* framed = new QLabel("In frame", frame);
    QTextEdit* richText = new QTextEdit(&window);
    QToolBar* toolbar = new QToolBar(&window);
    QLineEdit* marked = new QLineEdit(&window);
    QPushButton* skipped = new QPushButton("Skip", &window);

    Specimen() {
        window.setFont(PixelFont(20));
        label->setGeometry(10, 20, 100, 30);
        combo->addItems({"Ascii", "Hex"});
        combo->setGeometry(40, 60, 80, 21);
        line->setFrameShape(QFrame::HLine);
        line->setGeometry(10, 100, 200, 3);
        frame->setFrameShape(QFrame::Box);
        frame->setGeometry(100, 120, 100, 60);
        framed->setGeometry(10, 10, 100, 20);
        richText->setGeometry(0, 200, 300, 100);
        toolbar->setGeometry(0, 0, 300, 20);
        marked->setGeometry(20, 320, 100, 20);
        SetControlKind(*marked, ControlKind::KeepsFont);
        skipped->setGeometry(5, 5, 10, 10);
        SetControlKind(*skipped, ControlKind::Skipped);
    }
};

TEST(ResizeControlsTest, EachKindOfControlFollowsItsRule) {
    Specimen s;
    ResizeControls(1.5F, 1.2F, s.window);

    // Ordinary controls: moved, stretched, font by the mean ratio (20 px x 1.35 = 27 px).
    EXPECT_EQ(s.label->geometry(), QRect(15, 24, 150, 36));
    EXPECT_EQ(PixelSize(*s.label), 27);
    // Combo box: left, top, width scaled; the toolkit's height for its new font.
    EXPECT_EQ(s.combo->geometry().topLeft(), QPoint(60, 72));
    EXPECT_EQ(s.combo->width(), 120);
    EXPECT_EQ(s.combo->height(), s.combo->sizeHint().height());
    EXPECT_EQ(PixelSize(*s.combo), 27);
    // A line: end points only, thickness and font untouched.
    EXPECT_EQ(s.line->geometry(), QRect(15, 120, 300, 3));
    EXPECT_EQ(s.line->font().pixelSize(), 20);
    // A frame keeps its font, its controls are controls of the window too.
    EXPECT_EQ(s.frame->geometry(), QRect(150, 144, 150, 72));
    EXPECT_EQ(PixelSize(*s.frame), 20);
    EXPECT_EQ(s.framed->geometry(), QRect(15, 12, 150, 24));
    EXPECT_EQ(PixelSize(*s.framed), 27);
    // Rich-text boxes, toolbars and controls marked so keep their text size.
    EXPECT_EQ(s.richText->geometry(), QRect(0, 240, 450, 120));
    EXPECT_EQ(PixelSize(*s.richText), 20);
    EXPECT_EQ(s.toolbar->geometry(), QRect(0, 0, 450, 24));
    EXPECT_EQ(PixelSize(*s.toolbar), 20);
    EXPECT_EQ(s.marked->geometry(), QRect(30, 384, 150, 24));
    EXPECT_EQ(PixelSize(*s.marked), 20);
    EXPECT_EQ(s.skipped->geometry(), QRect(5, 5, 10, 10));
    EXPECT_EQ(PixelSize(*s.skipped), 20);
    // The window itself is not touched.
    EXPECT_EQ(PixelSize(s.window), 20);
}

TEST(ResizeControlsTest, TextThatOutgrowsItsPlaceIsDrawnSmallerAndGrowsBackFromItsExactSize) {
    Specimen s;
    s.label->setText("A long caption here");
    s.label->setGeometry(10, 20, s.label->sizeHint().width(), 30);
    ResizeControls(1.0F, 2.0F, s.window);  // text 1.5 times larger, no wider room
    EXPECT_LE(s.label->sizeHint().width(), s.label->width());
    EXPECT_LT(PixelSize(*s.label), 30);
    ResizeControls(4.0F, 1.0F, s.window);  // room for it again
    EXPECT_EQ(PixelSize(*s.label), 75) << "20 px x 1.5 x 2.5, not from the smaller size";
}

TEST(ResizeControlsTest, RoundingNeverAccumulates) {
    // Forty small steps up and forty back: rounding each step to whole pixels would drift
    // by several pixels; the exact values bring every control back where it was.
    Specimen s;
    const QRect label = s.label->geometry();
    const QRect framed = s.framed->geometry();
    for (int i = 0; i < 40; ++i) {
        ResizeControls(1.013F, 1.013F, s.window);
    }
    EXPECT_GT(PixelSize(*s.label), 30);
    for (int i = 0; i < 40; ++i) {
        ResizeControls(1.0F / 1.013F, 1.0F / 1.013F, s.window);
    }
    EXPECT_EQ(s.label->geometry(), label);
    EXPECT_EQ(s.framed->geometry(), framed);
    EXPECT_EQ(PixelSize(*s.label), 20);

    // A control the program moved meanwhile is scaled from where it now is.
    s.label->setGeometry(100, 100, 50, 10);
    ResizeControls(2.0F, 2.0F, s.window);
    EXPECT_EQ(s.label->geometry(), QRect(200, 200, 100, 20));
}

TEST(ProportionalLayoutTest, TheFirstNotificationOnlyArms) {
    // The window may first be shown at any size; that must not rescale anything.
    bool armed = false;
    Specimen s;
    ProportionalLayout layout(s.window, ResizePolicy::ArmedAboveDesignSize, armed);
    layout.RecordDesignSize(QSize(400, 400));
    s.window.resize(800, 800);
    layout.Form_Resize();
    EXPECT_TRUE(armed);
    EXPECT_EQ(s.label->geometry(), QRect(10, 20, 100, 30));
    s.window.resize(800, 400);
    layout.Form_Resize();
    EXPECT_EQ(s.label->geometry(), QRect(20, 20, 200, 30)) << "scaled from the design size";
}

// The main window on screen (offscreen platform), resized as a user would.
class MainWindowLayoutTest : public MainWindowTest {
protected:
    void ShowAtDesignSize() {
        Start();
        Window().show();
        ASSERT_TRUE(PumpEventsUntil([&] { return state_.LayoutArmed; }, 2s));
        design_ = Window().ClientArea().size();
    }

    // Resizes the window so that its client area gets `client`, and waits for the layout.
    void ResizeClient(QSize client) {
        const QSize frame = Window().size() - Window().ClientArea().size();
        Window().resize(client + frame);
        PumpEventsUntil([&] { return Window().ClientArea().size() == client; }, 2s);
        PumpEventsFor(20ms);
        ASSERT_EQ(Window().ClientArea().size(), client);
    }

    QSize design_;
};

// Each kind's rule is ResizeControlsTest's; here the window's controls are of the kinds meant.
TEST_F(MainWindowLayoutTest, OpensAtDesignSizeAndGrowsByTheRatios) {
    ShowAtDesignSize();
    Mainfrm& window = Window();
    EXPECT_EQ(design_, QSize(787, 559)) << "11805 x 8385 twips";
    EXPECT_EQ(window.Layout().MinWidth(), 787);

    QWidget* ordinary[] = {&window.Command(1), &window.Label10()};
    std::vector<QRect> before;
    for (QWidget* w : ordinary) {
        before.push_back(w->geometry());
        EXPECT_EQ(PixelSize(*w), 11);
    }
    const QRect monitor = window.ReceiveBox().geometry();
    const QFont monitorFont = window.ReceiveBox().font();
    const QFont sendBoxFont = window.SendBox().font();

    ResizeClient(QSize(design_.width() * 3 / 2, design_.height() * 6 / 5));
    const double x = 1180.0 / 787.0;  // the whole pixels nearest to 150 % and 120 %
    const double y = 670.0 / 559.0;
    EXPECT_FLOAT_EQ(window.Layout().XRatio(), static_cast<float>(x));
    EXPECT_FLOAT_EQ(window.Layout().YRatio(), static_cast<float>(y));
    for (std::size_t i = 0; i < std::size(ordinary); ++i) {
        SCOPED_TRACE(ordinary[i]->objectName().toStdString() + " " + std::to_string(i));
        EXPECT_EQ(ordinary[i]->geometry(), Scaled(before[i], x, y));
        EXPECT_EQ(PixelSize(*ordinary[i]), 15) << "11 px x 1.35 (14.85)";
    }
    // Rich-text boxes change size but keep their font.
    EXPECT_EQ(window.ReceiveBox().geometry(), Scaled(monitor, x, y));
    EXPECT_EQ(window.ReceiveBox().font(), monitorFont);
    EXPECT_EQ(window.SendBox().font(), sendBoxFont);
}

TEST_F(MainWindowLayoutTest, ShrinkingBelowDesignChangesNothingAndGrowingIsRelative) {
    ShowAtDesignSize();
    Mainfrm& window = Window();
    const QRect button = window.Command(3).geometry();

    for (const QSize smaller :
         {QSize(600, 2 * design_.height()), QSize(2 * design_.width(), 400)}) {
        SCOPED_TRACE(testing::Message() << smaller.width() << "x" << smaller.height());
        ResizeClient(smaller);
        EXPECT_EQ(window.Command(3).geometry(), button);
        EXPECT_EQ(PixelSize(window.Command(3)), 11);
        EXPECT_EQ(window.Layout().LastWidth(), design_.width());
        EXPECT_EQ(window.Layout().LastHeight(), design_.height());
    }

    // Growing again scales from the last laid-out size, the design size.
    ResizeClient(QSize(design_.width() * 2, design_.height()));
    EXPECT_EQ(window.Command(3).geometry(), Scaled(button, 2.0, 1.0));
    ResizeClient(design_);
    EXPECT_EQ(window.Command(3).geometry(), button) << "and back, exactly";

    // Grown to 150 % and shrunk below the design size: laid out at the design size.
    ResizeClient(QSize(design_.width() * 3 / 2, design_.height() * 3 / 2));
    ResizeClient(QSize(600, 400));
    EXPECT_EQ(window.Command(3).geometry(), button);
    EXPECT_EQ(window.Layout().LastWidth(), design_.width());
}

}  // namespace
}  // namespace kestrum
