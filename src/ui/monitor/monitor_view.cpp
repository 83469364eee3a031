#include "ui/monitor/monitor_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/monitor/monitor_constants.h"
#include "ui/monitor/monitor_scroll_bar.h"
#include "ui/widgets/latin1.h"

namespace kestrum {

namespace {

constexpr int kMargin = kMonitorViewMargin;

bool IsTokenCharacter(unsigned char c) {
    return c != ' ' && c != '\r' && c != '\n';
}

}  // namespace

MonitorView::MonitorView(MonitorText& text, QWidget* parent)
    : QAbstractScrollArea(parent), text_(text) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setToolTip(QString::fromLatin1(kMonitorToolTip));
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBar(scrollBar_);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    // We paint every pixel ourselves; an opaque viewport also lets scrolling move
    // the pixels already drawn instead of repainting the whole viewport.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    followTimer_.setSingleShot(true);
    followTimer_.setInterval(0);
    connect(&followTimer_, &QTimer::timeout, this, &MonitorView::FollowEnd);
    // On the view, not its viewport: scrolling moves the viewport's children with the text.
    newDataHint_ = new QLabel(QString::fromLatin1(kNewDataBelowHint), this);
    newDataHint_->setAutoFillBackground(true);
    newDataHint_->setForegroundRole(QPalette::ToolTipText);
    newDataHint_->setBackgroundRole(QPalette::ToolTipBase);
    newDataHint_->setMargin(2);
    newDataHint_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        following_ = value >= scrollBar_->maximum();
        if (following_) {
            newDataHint_->hide();
        }
    });
    ApplyFont();
    layout_.Reset(text_, ColumnsForWidth(viewport()->width()));
    end_ = layout_.RowColumnOf(text_, text_.Size());
    UpdateScrollRange();
}

void MonitorView::SyncWithText() {
    const bool emptied = layout_.Generation() != text_.Generation();
    const RowColumn oldEnd = end_;
    layout_.Update(text_);
    end_ = layout_.RowColumnOf(text_, text_.Size());
    if (emptied || selectionShown_) {
        selectionShown_ = false;
        viewport()->update();
    } else {
        UpdateRows(oldEnd, end_);
    }
    if (!following_ && !emptied && !newDataHint_->isVisible()) {
        PlaceNewDataHint();
        newDataHint_->show();
    }
    // Following the end moves the pixels on screen (a blit of the whole viewport), so a
    // burst of appends before the event loop runs again moves them only once.
    if (!followTimer_.isActive()) {
        followTimer_.start();
    }
}

void MonitorView::FollowEnd() {
    UpdateScrollRange(following_);
}

void MonitorView::ResumeFollowing() {
    following_ = true;
    newDataHint_->hide();
    if (!followTimer_.isActive()) {
        followTimer_.start();
    }
}

void MonitorView::PlaceNewDataHint() {
    newDataHint_->adjustSize();
    const QRect area = viewport()->geometry();
    newDataHint_->move(area.right() - newDataHint_->width() - kMargin,
                       area.bottom() - newDataHint_->height() - kMargin);
}

void MonitorView::Copy() const {
    if (!text_.HasSelection()) {
        return;
    }
    const std::string selected =
        text_.TextRange(text_.SelectionStart(), text_.SelectionStart() + text_.SelectionLength());
    QGuiApplication::clipboard()->setText(FromBytes(selected));
}

void MonitorView::SelectAll() {
    SetSelection(0, text_.Size());
}

void MonitorView::SelectAndShow(std::size_t from, std::size_t to) {
    SetSelection(from, to);
    // The end first, then the start: a hit longer than the view shows where it begins.
    EnsurePositionVisible(to);
    EnsurePositionVisible(from);
}

std::size_t MonitorView::TopRow() const {
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

std::size_t MonitorView::VisibleRows() const {
    return static_cast<std::size_t>(
        std::max(1, (viewport()->height() - 2 * kMargin) / lineHeight_));
}

std::optional<std::size_t> MonitorView::CharacterAt(QPoint viewportPoint) const {
    const int rowOffset = static_cast<int>(std::floor(
        static_cast<double>(viewportPoint.y() - kMargin) / static_cast<double>(lineHeight_)));
    const long long row = static_cast<long long>(TopRow()) + rowOffset;
    const double column = std::floor((viewportPoint.x() - kMargin - gutter_) / charWidth_);
    if (rowOffset < 0 || column < 0 || static_cast<std::size_t>(row) >= layout_.TotalRows()) {
        return std::nullopt;
    }
    const RowSpan span = layout_.RowRange(text_, static_cast<std::size_t>(row));
    const std::size_t position = span.from + static_cast<std::size_t>(column);
    return position < span.to ? std::optional<std::size_t>(position) : std::nullopt;
}

QString MonitorView::ArrivalToolTipAt(QPoint viewportPoint) const {
    const std::optional<std::size_t> position = CharacterAt(viewportPoint);
    const std::optional<std::int64_t> arrival =
        position ? text_.ArrivalAt(*position) : std::nullopt;
    if (!arrival) {
        return {};
    }
    const QString time =
        QDateTime::fromMSecsSinceEpoch(*arrival).toString(QString::fromLatin1(kArrivalTimeFormat));
    const bool received = text_.ColourAt(*position) == kReceiveColour;
    return QString::fromLatin1(received ? kReceivedAtText : kSentAtText).arg(time);
}

bool MonitorView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        // The times are asked for with Show Timestamps; until then the colour legend stays.
        const QString tip = gutter_ > 0 ? ArrivalToolTipAt(help->pos()) : QString();
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, viewport());
            return true;
        }
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void MonitorView::SetShowTimestamps(bool show) {
    const int gutter = show ? static_cast<int>(std::ceil(kGutterColumns * charWidth_)) : 0;
    if (gutter == gutter_) {
        return;
    }
    gutter_ = gutter;
    Relayout();
}

std::size_t MonitorView::PositionAt(QPoint viewportPoint) const {
    const int rowOffset = static_cast<int>(std::floor(
        static_cast<double>(viewportPoint.y() - kMargin) / static_cast<double>(lineHeight_)));
    const auto top = static_cast<long long>(TopRow());
    const long long row = std::max(0LL, top + rowOffset);
    if (static_cast<std::size_t>(row) >= layout_.TotalRows()) {
        return text_.Size();
    }
    const double column = std::round((viewportPoint.x() - kMargin - gutter_) / charWidth_);
    const auto clamped =
        static_cast<std::size_t>(std::clamp(column, 0.0, static_cast<double>(layout_.Columns())));
    return layout_.PositionAt(text_, static_cast<std::size_t>(row), clamped);
}

QPoint MonitorView::PointOf(std::size_t position) const {
    const RowColumn at = layout_.RowColumnOf(text_, position);
    return QPointF(ColumnX(at.column), RowY(at.row) + lineHeight_ / 2.0).toPoint();
}

std::unique_ptr<QMenu> MonitorView::CreateContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    QAction* copy = menu->addAction(tr("&Copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(text_.HasSelection());
    connect(copy, &QAction::triggered, this, &MonitorView::Copy);
    QAction* selectAll = menu->addAction(tr("Select &All"));
    selectAll->setShortcut(QKeySequence::SelectAll);
    selectAll->setEnabled(!text_.IsEmpty());
    connect(selectAll, &QAction::triggered, this, &MonitorView::SelectAll);
    return menu;
}

void MonitorView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    menu->exec(event->globalPos());
}

void MonitorView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Base));
    // Normally a no-op: SyncWithText has laid out everything already.
    layout_.Update(text_);
    if (text_.IsEmpty()) {
        return;
    }
    const int firstOffset = std::max(0, (dirty.top() - kMargin) / lineHeight_);
    const int lastOffset = std::max(0, (dirty.bottom() - kMargin) / lineHeight_);
    // One column of slack on each side for glyphs that reach into their neighbours.
    const int textLeft = kMargin + gutter_;
    const auto firstColumn = static_cast<std::size_t>(
        std::max(0.0, std::floor((dirty.left() - textLeft) / charWidth_) - 1));
    const auto endColumn = static_cast<std::size_t>(
        std::max(0.0, std::ceil((dirty.right() + 1 - textLeft) / charWidth_) + 1));
    const std::size_t top = TopRow();
    for (int offset = firstOffset; offset <= lastOffset; ++offset) {
        const std::size_t row = top + static_cast<std::size_t>(offset);
        if (row >= layout_.TotalRows()) {
            break;
        }
        const int y = kMargin + offset * lineHeight_;
        if (gutter_ > 0 && dirty.left() < textLeft) {
            PaintArrival(painter, row, y);
        }
        PaintRow(painter, row, y, firstColumn, endColumn);
    }
}

void MonitorView::PaintArrival(QPainter& painter, std::size_t row, int y) {
    const std::optional<std::int64_t> arrival =
        text_.BurstStartingAt(layout_.RowRange(text_, row).from);
    if (!arrival) {
        return;
    }
    painter.setPen(QColor::fromRgb(kGutterColour));
    painter.drawText(
        QPointF(kMargin, y + ascent_),
        QDateTime::fromMSecsSinceEpoch(*arrival).toString(QString::fromLatin1(kArrivalTimeFormat)));
}

void MonitorView::PaintRow(QPainter& painter, std::size_t row, int y, std::size_t firstColumn,
                           std::size_t endColumn) {
    const RowSpan span = layout_.RowRange(text_, row);
    const std::size_t from = std::min(span.to, span.from + firstColumn);
    const std::size_t to = std::min(span.to, span.from + endColumn);
    if (from >= to) {
        return;
    }
    const std::size_t selectionFrom = text_.SelectionStart();
    const std::size_t selectionTo = selectionFrom + text_.SelectionLength();
    const int baseline = y + ascent_;
    for (const ColourSegment& segment : text_.ColourSegments(from, to)) {
        // Split the segment where the selection starts and ends.
        std::size_t start = segment.from;
        while (start < segment.to) {
            const bool selected = start >= selectionFrom && start < selectionTo;
            std::size_t stop = segment.to;
            if (selected) {
                stop = std::min(stop, selectionTo);
            } else if (selectionFrom > start) {
                stop = std::min(stop, selectionFrom);
            }
            const std::size_t column = start - span.from;
            if (selected) {
                painter.fillRect(QRectF(ColumnX(column), y,
                                        static_cast<qreal>(stop - start) * charWidth_, lineHeight_),
                                 palette().color(QPalette::Highlight));
                painter.setPen(palette().color(QPalette::HighlightedText));
            } else {
                painter.setPen(QColor::fromRgb(segment.colour));
            }
            DrawGlyphs(painter, start, stop, column, baseline);
            start = stop;
        }
    }
}

void MonitorView::DrawGlyphs(QPainter& painter, std::size_t from, std::size_t to,
                             std::size_t column, int baseline) {
    runGlyphs_.clear();
    runPositions_.clear();
    for (std::size_t position = from; position < to; ++position, ++column) {
        const unsigned char c = text_.At(position);
        if (c == ' ') {
            continue;
        }
        runGlyphs_.append(glyphs_[c]);
        runPositions_.append(QPointF(ColumnX(column), 0));
    }
    if (runGlyphs_.isEmpty()) {
        return;
    }
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(runGlyphs_);
    run.setPositions(runPositions_);
    painter.drawGlyphRun(QPointF(0, baseline), run);
}

void MonitorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    PlaceNewDataHint();
    if (ColumnsForWidth(viewport()->width()) != layout_.Columns()) {
        Relayout();
    } else {
        UpdateScrollRange(scrollBar_->value() == scrollBar_->maximum());
    }
}

void MonitorView::Relayout() {
    // Re-wrap at the new width, keeping the end in view when it was, and otherwise
    // the line at the top.
    const bool atEnd = scrollBar_->value() == scrollBar_->maximum();
    const RowLocation top = layout_.LocateRow(TopRow());
    layout_.Reset(text_, ColumnsForWidth(viewport()->width()));
    end_ = layout_.RowColumnOf(text_, text_.Size());
    const bool toEnd = atEnd || top.line >= text_.LineCount();
    UpdateScrollRange(toEnd);
    if (!toEnd) {
        scrollBar_->setValue(static_cast<int>(layout_.FirstRowOfLine(top.line)));
    }
    viewport()->update();
}

void MonitorView::scrollContentsBy(int /*dx*/, int dy) {
    viewport()->scroll(0, dy * lineHeight_);
}

void MonitorView::SetZoomPercent(int percent) {
    if (percent == zoomPercent_) {
        return;
    }
    zoomPercent_ = percent;
    QEvent change(QEvent::FontChange);
    changeEvent(&change);
}

void MonitorView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A wheel step is 120; touchpads send parts of one.
    constexpr int kStep = 120;
    wheelAngle_ += event->angleDelta().y();
    const int steps = wheelAngle_ / kStep;
    wheelAngle_ -= steps * kStep;
    if (steps != 0) {
        emit ZoomWheel(steps);
    }
    event->accept();
}

void MonitorView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        ApplyFont();
        if (gutter_ > 0) {
            // The gutter scales with the font, as the text does.
            gutter_ = static_cast<int>(std::ceil(kGutterColumns * charWidth_));
        }
        Relayout();
    }
}

void MonitorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const std::size_t position = PositionAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier) {
        SetSelection(text_.Anchor(), position);
    } else {
        SetSelection(position, position);
    }
    dragging_ = true;
}

void MonitorView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint point = event->position().toPoint();
    if (point.y() < 0) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (point.y() > viewport()->height()) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    SetSelection(text_.Anchor(), PositionAt(point));
}

void MonitorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (text_.HasSelection() && clipboard->supportsSelection()) {
        const std::string selected = text_.TextRange(
            text_.SelectionStart(), text_.SelectionStart() + text_.SelectionLength());
        clipboard->setText(FromBytes(selected), QClipboard::Selection);
    }
}

void MonitorView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || text_.IsEmpty()) {
        return;
    }
    // The character under the pointer, not the nearest caret position.
    const std::optional<std::size_t> under = CharacterAt(event->position().toPoint());
    if (!under || !IsTokenCharacter(text_.At(*under))) {
        return;
    }
    const std::size_t position = *under;
    const std::size_t line = text_.LineOf(position);
    const std::size_t lineStart = text_.LineStart(line);
    const std::size_t lineEnd = text_.LineEnd(line);
    std::size_t from = position;
    while (from > lineStart && IsTokenCharacter(text_.At(from - 1))) {
        --from;
    }
    std::size_t to = position + 1;
    while (to < lineEnd && IsTokenCharacter(text_.At(to))) {
        ++to;
    }
    SetSelection(from, to);
    dragging_ = false;
}

void MonitorView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    const bool control = event->modifiers() & Qt::ControlModifier;
    if ((event->modifiers() & Qt::ShiftModifier) && MoveCaret(event->key(), control)) {
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    switch (event->key()) {
        case Qt::Key_PageUp:
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
            return;
        case Qt::Key_PageDown:
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            return;
        case Qt::Key_Up:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return;
        case Qt::Key_Down:
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return;
        case Qt::Key_Home:
            if (control) {
                bar->triggerAction(QAbstractSlider::SliderToMinimum);
                return;
            }
            break;
        case Qt::Key_End:
            // End alone too: it is how the user goes back to following new data.
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
            return;
        default:
            break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool MonitorView::MoveCaret(int key, bool wholeText) {
    // Shift + a movement key extends the selection from the anchor.
    const std::size_t caret = text_.Caret();
    const RowColumn at = layout_.RowColumnOf(text_, caret);
    const std::size_t page = VisibleRows();
    std::size_t target = caret;
    switch (key) {
        case Qt::Key_Left:
            if (caret > 0) {
                const bool pair =
                    caret >= 2 && text_.At(caret - 1) == '\n' && text_.At(caret - 2) == '\r';
                target = caret - (pair ? 2 : 1);
            }
            break;
        case Qt::Key_Right:
            if (caret < text_.Size()) {
                const bool pair = caret + 1 < text_.Size() && text_.At(caret) == '\r' &&
                                  text_.At(caret + 1) == '\n';
                target = caret + (pair ? 2 : 1);
            }
            break;
        case Qt::Key_Up:
            target = at.row > 0 ? layout_.PositionAt(text_, at.row - 1, at.column) : 0;
            break;
        case Qt::Key_Down:
            target = at.row + 1 < layout_.TotalRows()
                         ? layout_.PositionAt(text_, at.row + 1, at.column)
                         : text_.Size();
            break;
        case Qt::Key_PageUp:
            target = at.row >= page ? layout_.PositionAt(text_, at.row - page, at.column) : 0;
            break;
        case Qt::Key_PageDown:
            target = at.row + page < layout_.TotalRows()
                         ? layout_.PositionAt(text_, at.row + page, at.column)
                         : text_.Size();
            break;
        case Qt::Key_Home:
            target = wholeText ? 0 : layout_.RowRange(text_, at.row).from;
            break;
        case Qt::Key_End:
            target = wholeText ? text_.Size() : layout_.RowRange(text_, at.row).to;
            break;
        default:
            return false;
    }
    SetSelection(text_.Anchor(), target);
    EnsurePositionVisible(target);
    return true;
}

void MonitorView::SetSelection(std::size_t anchor, std::size_t caret) {
    text_.Select(anchor, caret);
    selectionShown_ = text_.HasSelection();
    viewport()->update();
}

void MonitorView::ApplyFont() {
    // The layout scales font(); the zoom applies on top of it, so both compose.
    QFont current = font();
    if (zoomPercent_ != 100) {
        if (current.pixelSize() > 0) {
            current.setPixelSize(std::max(1, current.pixelSize() * zoomPercent_ / 100));
        } else {
            current.setPointSizeF(current.pointSizeF() * zoomPercent_ / 100.0);
        }
    }
    rawFont_ = QRawFont::fromFont(current);
    const QFontMetricsF metrics(current);
    charWidth_ = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('0')));
    lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.lineSpacing())));
    ascent_ = static_cast<int>(std::ceil(metrics.ascent()));

    QString characters;
    for (int byte = 0; byte < 256; ++byte) {
        const QChar shown = DisplayCharacter(static_cast<unsigned char>(byte));
        characters.append(rawFont_.supportsCharacter(shown) ? shown : QChar(u'?'));
    }
    const QList<quint32> indexes = rawFont_.glyphIndexesForString(characters);
    for (std::size_t byte = 0; byte < glyphs_.size(); ++byte) {
        glyphs_[byte] = byte < static_cast<std::size_t>(indexes.size())
                            ? indexes[static_cast<qsizetype>(byte)]
                            : 0;
    }
}

void MonitorView::UpdateScrollRange(bool toEnd) {
    const std::size_t visible = VisibleRows();
    const std::size_t total = layout_.TotalRows();
    const int maximum = static_cast<int>(total > visible ? total - visible : 0);
    scrollBar_->SetRangeAndValue(maximum, static_cast<int>(visible),
                                 toEnd ? maximum : scrollBar_->value());
}

void MonitorView::EnsurePositionVisible(std::size_t position) {
    const std::size_t row = layout_.RowColumnOf(text_, position).row;
    const std::size_t top = TopRow();
    const std::size_t visible = VisibleRows();
    if (row < top) {
        verticalScrollBar()->setValue(static_cast<int>(row));
    } else if (row >= top + visible) {
        verticalScrollBar()->setValue(static_cast<int>(row - visible + 1));
    }
}

void MonitorView::UpdateRows(RowColumn from, RowColumn to) {
    // Only the rows between the old and the new end changed; on the old last row
    // only the columns after the old end.
    const long long top = static_cast<long long>(TopRow());
    const long long bottom = top + static_cast<long long>(VisibleRows()) + 1;
    const auto fromRow = static_cast<long long>(from.row);
    const auto toRow = static_cast<long long>(to.row);
    if (toRow < top || fromRow > bottom) {
        return;
    }
    const int width = viewport()->width();
    // A row that starts now may start a burst: its time goes in the gutter.
    const int left = from.column == 0 ? 0 : static_cast<int>(std::floor(ColumnX(from.column))) - 1;
    if (fromRow == toRow) {
        const int right = static_cast<int>(std::ceil(ColumnX(to.column + 1))) + 1;
        viewport()->update(QRect(left, RowY(from.row), right - left, lineHeight_));
        return;
    }
    if (fromRow >= top) {
        viewport()->update(QRect(left, RowY(from.row), width - left, lineHeight_));
    }
    const long long firstFull = std::max(fromRow + 1, top);
    const long long lastFull = std::min(toRow, bottom);
    if (firstFull <= lastFull) {
        const int y = RowY(static_cast<std::size_t>(firstFull));
        viewport()->update(
            QRect(0, y, width, static_cast<int>(lastFull - firstFull + 1) * lineHeight_));
    }
}

std::size_t MonitorView::ColumnsForWidth(int width) const {
    return static_cast<std::size_t>(
        std::max(1.0, std::floor((width - 2 * kMargin - gutter_) / charWidth_)));
}

qreal MonitorView::ColumnX(std::size_t column) const {
    return kMargin + gutter_ + static_cast<qreal>(column) * charWidth_;
}

int MonitorView::RowY(std::size_t row) const {
    const long long offset = static_cast<long long>(row) - static_cast<long long>(TopRow());
    return kMargin + static_cast<int>(offset) * lineHeight_;
}

}  // namespace kestrum
