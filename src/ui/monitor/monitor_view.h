#pragma once
// The Data Monitor's on-screen view: a read-only, fixed-pitch text view that wraps at
// the viewport width and paints only the rows that are visible and have changed, so
// an append costs the same whether the monitor holds 10 KiB or 64 MiB.

#include <QAbstractScrollArea>
#include <QFont>
#include <QLabel>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>

#include "ui/monitor/monitor_layout.h"
#include "ui/monitor/monitor_scroll_bar.h"
#include "ui/monitor/monitor_text.h"

class QMenu;

namespace kestrum {

class MonitorView final : public QAbstractScrollArea {
    Q_OBJECT

public:
    // `text` must outlive the view.
    explicit MonitorView(MonitorText& text, QWidget* parent = nullptr);

    // Call after every change of the text: lays out what was added (everything after
    // an emptying), drops the selection highlight, schedules a repaint of only the rows
    // that changed, and follows the end when the event loop next runs. The end is followed
    // only while the view shows it; scrolled up, the view stays and a hint says that new
    // data is below.
    void SyncWithText();
    // Follows the end again (a send); scrolling to the end or End does so too.
    void ResumeFollowing();
    bool Following() const { return following_; }
    // The "new data below" hint.
    const QLabel& NewDataHint() const { return *newDataHint_; }

    // Selected text with CR LF breaks, to the clipboard (Latin-1, byte for byte).
    void Copy() const;
    void SelectAll();
    // Selects [from, to) and scrolls it into view (a hit of Find).
    void SelectAndShow(std::size_t from, std::size_t to);

    std::size_t Columns() const { return layout_.Columns(); }
    std::size_t TotalRows() const { return layout_.TotalRows(); }
    std::size_t TopRow() const;
    // Rows that fit completely in the viewport.
    std::size_t VisibleRows() const;

    // The text position under a viewport point (caret positions between characters).
    std::size_t PositionAt(QPoint viewportPoint) const;
    // The left edge of the character cell at `position`, vertically in the middle of
    // its row, in viewport coordinates.
    QPoint PointOf(std::size_t position) const;

    // The character under a viewport point, if there is one there.
    std::optional<std::size_t> CharacterAt(QPoint viewportPoint) const;
    // What hovering there shows: "Received 14:03:07.123" or "Sent ..." over a character
    // whose arrival time is known, else nothing (the view's own tooltip applies).
    QString ArrivalToolTipAt(QPoint viewportPoint) const;

    // Show Timestamps: the arrival time of each burst that starts a row, in a gutter left of
    // the text. Off, the view is exactly as without it.
    void SetShowTimestamps(bool show);
    bool ShowingTimestamps() const { return gutter_ > 0; }

    // The text drawn at `percent` of the font the layout gives the view (100: as designed).
    void SetZoomPercent(int percent);
    int ZoomPercent() const { return zoomPercent_; }
    // The pixel size the text is drawn at.
    int TextPixelSize() const {
        return rawFont_.pixelSize() > 0 ? qRound(rawFont_.pixelSize()) : 0;
    }

    // The context menu: Copy (only with a selection) and Select All.
    std::unique_ptr<QMenu> CreateContextMenu();

signals:
    // Ctrl and the wheel over the view: steps up (positive) or down.
    void ZoomWheel(int steps);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void ApplyFont();
    void Relayout();
    // Range for the rows laid out; with `toEnd` the last row is brought into view.
    void UpdateScrollRange(bool toEnd = false);
    void FollowEnd();
    void PlaceNewDataHint();
    void EnsurePositionVisible(std::size_t position);
    bool MoveCaret(int key, bool wholeText);
    void SetSelection(std::size_t anchor, std::size_t caret);
    void UpdateRows(RowColumn from, RowColumn to);
    void PaintRow(QPainter& painter, std::size_t row, int y, std::size_t firstColumn,
                  std::size_t endColumn);
    void PaintArrival(QPainter& painter, std::size_t row, int y);
    void DrawGlyphs(QPainter& painter, std::size_t from, std::size_t to, std::size_t column,
                    int baseline);
    std::size_t ColumnsForWidth(int width) const;
    qreal ColumnX(std::size_t column) const;
    int RowY(std::size_t row) const;

    MonitorText& text_;
    WrapLayout layout_;
    QRawFont rawFont_;
    std::array<quint32, 256> glyphs_{};
    int zoomPercent_ = 100;
    int wheelAngle_ = 0;  // Ctrl+wheel turn not yet a whole step
    qreal charWidth_ = 8;
    int gutter_ = 0;  // pixels left of the text for arrival times; 0 when they are off
    int lineHeight_ = 16;
    int ascent_ = 12;
    RowColumn end_;                // where the text ended at the last sync
    bool selectionShown_ = false;  // a selection highlight is on screen
    bool dragging_ = false;
    QTimer followTimer_;
    bool following_ = true;
    QLabel* newDataHint_ = nullptr;
    MonitorScrollBar* scrollBar_ = new MonitorScrollBar(this);
    // Reused for every glyph run to spare allocations in paint.
    QList<quint32> runGlyphs_;
    QList<QPointF> runPositions_;
};

}  // namespace kestrum
