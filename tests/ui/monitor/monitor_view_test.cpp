#include "ui/monitor/monitor_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "ui/monitor/monitor_constants.h"

namespace kestrum {
namespace {

class MonitorViewTest : public testing::Test {
protected:
    MonitorViewTest() {
        view_.resize(400, 200);
        view_.show();
    }

    // As DataMonitor appends; then the event loop runs, which follows the end.
    void Append(std::string_view text, QRgb colour, std::int64_t arrivalMs = kNoArrival) {
        text_.AppendText(text, colour, arrivalMs);
        view_.SyncWithText();
        QCoreApplication::processEvents();
    }

    QWidget* Viewport() { return view_.viewport(); }
    // A point a little inside the cell of `position`, to click on its character.
    QPoint InsideCell(std::size_t position) { return view_.PointOf(position) + QPoint(2, 0); }

    MonitorText text_;
    MonitorView view_{text_};
};

TEST_F(MonitorViewTest, KeysScrollAndAnAppendFollowsTheEndOnlyWhileItIsShown) {
    for (int line = 0; line < 100; ++line) {
        Append("41 42 43\r\n", kReceiveColour);
    }
    QScrollBar* bar = view_.verticalScrollBar();
    const int end = bar->value();
    EXPECT_GT(end, 0);
    EXPECT_EQ(end, bar->maximum());
    QTest::keyClick(&view_, Qt::Key_Up);
    EXPECT_EQ(bar->value(), end - 1);
    QTest::keyClick(&view_, Qt::Key_PageUp);
    EXPECT_EQ(bar->value(), end - 1 - static_cast<int>(view_.VisibleRows()));
    QTest::keyClick(&view_, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), end);

    // The user scrolls to the top and selects something there.
    QTest::keyClick(&view_, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, view_.PointOf(0));
    QTest::mouseMove(Viewport(), view_.PointOf(5));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, view_.PointOf(5));
    EXPECT_TRUE(text_.HasSelection());

    Append("44\r\n", kReceiveColour);
    EXPECT_FALSE(text_.HasSelection());
    EXPECT_EQ(text_.Caret(), text_.Size());
    EXPECT_EQ(bar->value(), 0) << "scrolled up, the view stays where the user reads";
    EXPECT_TRUE(view_.NewDataHint().isVisible());
    EXPECT_EQ(view_.NewDataHint().text(), "New data below (End)");

    QTest::keyClick(&view_, Qt::Key_End);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_FALSE(view_.NewDataHint().isVisible());
    Append("45\r\n", kReceiveColour);
    EXPECT_EQ(bar->value(), bar->maximum()) << "at the end, the view follows again";
}

TEST_F(MonitorViewTest, ABurstOfAppendsFollowsTheEndOnce) {
    QScrollBar* bar = view_.verticalScrollBar();
    int moves = 0;
    QObject::connect(bar, &QScrollBar::valueChanged, [&moves] { ++moves; });
    for (int line = 0; line < 100; ++line) {
        text_.AppendText("41 42 43\r\n", kReceiveColour);
        view_.SyncWithText();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(static_cast<std::size_t>(bar->maximum()), view_.TotalRows() - view_.VisibleRows());
}

// Counts paint events of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

TEST_F(MonitorViewTest, TheScrollBarRepaintsOnlyWhenItsSliderMoves) {
    std::string lines;
    for (int line = 0; line < 5000; ++line) {
        lines += "41 42 43\r\n";
    }
    Append(lines, kReceiveColour);
    QScrollBar* bar = view_.verticalScrollBar();
    PaintCounter counter;
    bar->installEventFilter(&counter);

    // One more row in 5000 moves the slider by less than a pixel.
    Append("44\r\n", kReceiveColour);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(counter.paints, 0);

    QTest::keyClick(&view_, Qt::Key_Home, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_GT(counter.paints, 0);
}

TEST_F(MonitorViewTest, MouseSelectsByDragShiftClickAndDoubleClick) {
    Append("41 42 43 44 ", kTransmitColour);

    QTest::mousePress(Viewport(), Qt::LeftButton, {}, view_.PointOf(3));
    QTest::mouseMove(Viewport(), view_.PointOf(8));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, view_.PointOf(8));
    EXPECT_EQ(text_.SelectionStart(), 3u);
    EXPECT_EQ(text_.SelectionLength(), 5u);

    // Shift-click extends from the same anchor.
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, view_.PointOf(11));
    EXPECT_EQ(text_.SelectionStart(), 3u);
    EXPECT_EQ(text_.SelectionLength(), 8u);

    // A double click selects the token under the pointer.
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, InsideCell(7));
    EXPECT_EQ(text_.SelectionStart(), 6u);
    EXPECT_EQ(text_.SelectionLength(), 2u);

    // A plain click removes the selection.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, view_.PointOf(1));
    EXPECT_FALSE(text_.HasSelection());
}

TEST_F(MonitorViewTest, CopyGivesTheSelectionWithCrLfBreaksByteForByteFromKeysAndMenu) {
    Append("A\rB\n", kReceiveColour);
    Append("\xE9\xFF", kTransmitColour);  // Latin-1 e acute and y diaeresis

    QTest::keyClick(&view_, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(text_.SelectionLength(), text_.Size());
    QTest::keyClick(&view_, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1("A\r\nB\r\n\xE9\xFF"));

    // Shift+arrows extend the selection from the caret.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, view_.PointOf(0));
    QTest::keyClick(&view_, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view_, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view_, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("A\r\n"));

    // The context menu offers Copy only with a selection.
    text_.Select(0, 0);
    for (const bool selected : {false, true}) {
        const std::unique_ptr<QMenu> menu = view_.CreateContextMenu();
        ASSERT_EQ(menu->actions().size(), 2);
        QAction* copy = menu->actions()[0];
        QAction* selectAll = menu->actions()[1];
        EXPECT_EQ(copy->text().remove('&'), "Copy");
        EXPECT_EQ(selectAll->text().remove('&'), "Select All");
        EXPECT_EQ(copy->isEnabled(), selected);
        (selected ? copy : selectAll)->trigger();
    }
    EXPECT_EQ(text_.SelectionLength(), text_.Size());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1("A\r\nB\r\n\xE9\xFF"));
}

TEST_F(MonitorViewTest, ResizingRewrapsAndKeysDoNotTouchTheText) {
    const std::string line(200, '7');
    Append(line, kReceiveColour);
    const std::size_t narrowColumns = view_.Columns();
    view_.resize(800, 200);
    EXPECT_GT(view_.Columns(), narrowColumns);
    EXPECT_EQ(view_.TotalRows(), RowsForLength(200, view_.Columns()));

    // Neither the resize nor keys edit it.
    QTest::keyClicks(&view_, "xyz");
    QTest::keyClick(&view_, Qt::Key_Backspace);
    EXPECT_EQ(text_.Text(), line);
}

// Pixels of the viewport image in the character cells [from, to) of row 0 that lean clearly
// towards blue (first) and towards red (second).
std::pair<int, int> BlueAndRed(const QImage& image, const MonitorView& view, std::size_t from,
                               std::size_t to) {
    std::pair<int, int> hues;
    const QPoint start = view.PointOf(from);
    for (int y = start.y() - 6; y <= start.y() + 6; ++y) {
        for (int x = start.x(); x < view.PointOf(to).x(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            hues.first += pixel.blue() > pixel.red() + 60 ? 1 : 0;
            hues.second += pixel.red() > pixel.blue() + 60 ? 1 : 0;
        }
    }
    return hues;
}

TEST_F(MonitorViewTest, TextIsDrawnInItsColourAndControlCharactersKeepTheirColumn) {
    Append("41 42 ", kTransmitColour);
    // A raw control character takes exactly one cell, so what follows stays aligned.
    Append(std::string("\x01\x1B\x7F\x85", 4) + "AB", kReceiveColour);
    EXPECT_EQ(view_.TotalRows(), 1u);
    EXPECT_EQ(view_.PositionAt(view_.PointOf(10)), 10u);

    const QImage image = Viewport()->grab().toImage();
    const auto [sentBlue, sentRed] = BlueAndRed(image, view_, 0, 5);
    const auto [receivedBlue, receivedRed] = BlueAndRed(image, view_, 10, 12);
    EXPECT_GT(sentBlue, 10);
    EXPECT_EQ(sentRed, 0);
    EXPECT_GT(receivedRed, 10);
    EXPECT_EQ(receivedBlue, 0);
}

TEST_F(MonitorViewTest, ArrivalTimesShowOverTheirCharactersAndInTheGutterOnlyWhenAsked) {
    const std::int64_t sent =
        QDateTime(QDate(2026, 12, 6), QTime(14, 3, 7, 123)).toMSecsSinceEpoch();
    Append("41 42 \r\n", kTransmitColour, sent);
    Append("43 44", kReceiveColour, sent + 2001);
    EXPECT_EQ(view_.ArrivalToolTipAt(InsideCell(4)), "Sent 14:03:07.123");
    EXPECT_EQ(view_.ArrivalToolTipAt(InsideCell(9)), "Received 14:03:09.124");
    EXPECT_EQ(view_.ArrivalToolTipAt(view_.PointOf(10) + QPoint(40, 0)), "")
        << "past the end of a row there is no character";

    const QImage plain = Viewport()->grab().toImage();
    const QPoint textAt = view_.PointOf(0);
    view_.SetShowTimestamps(true);
    QCoreApplication::processEvents();
    EXPECT_GT(view_.PointOf(0).x(), textAt.x() + 40) << "the text moves right of the gutter";
    const QImage gutter = Viewport()->grab().toImage();
    const QColor base = view_.palette().color(QPalette::Base);
    int drawn = 0;
    for (int y = 0; y < gutter.height(); ++y) {
        for (int x = 0; x < textAt.x() + 40; ++x) {
            drawn += gutter.pixelColor(x, y) != base;
        }
    }
    EXPECT_GT(drawn, 20) << "both rows start a burst: two times in the gutter";

    view_.SetShowTimestamps(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(Viewport()->grab().toImage(), plain) << "off, the view is exactly as before";
}

}  // namespace
}  // namespace kestrum
