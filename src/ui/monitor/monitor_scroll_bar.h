#pragma once
// The monitor's vertical scroll bar. While the monitor follows the end of a large text,
// a new row moves the slider by less than a pixel, yet a styled scroll bar repaints on
// every change of its range or value, which costs more than the rest of an append.
// This one repaints only when what it shows changes.

#include <QRect>
#include <QScrollBar>

namespace kestrum {

class MonitorScrollBar final : public QScrollBar {
public:
    explicit MonitorScrollBar(QWidget* parent = nullptr) : QScrollBar(Qt::Vertical, parent) {}

    // Range 0..maximum and then the value (clamped), repainting at most once, and only
    // if the result looks different: a new row first grows the range (the slider leaves
    // the end) and then moves the value to the end again.
    void SetRangeAndValue(int maximum, int pageStep, int value);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What the bar shows: the slider's place and whether either end is reached
    // (styles draw the arrows differently there).
    struct Look {
        QRect slider;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };

    Look CurrentLook() const;

    Look shown_;
    bool batching_ = false;
};

}  // namespace kestrum
