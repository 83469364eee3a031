#include "ui/monitor/monitor_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace kestrum {

void MonitorScrollBar::SetRangeAndValue(int maximum, int pageStep, int value) {
    batching_ = true;
    setRange(0, maximum);
    setPageStep(pageStep);
    setValue(value);
    batching_ = false;
    if (CurrentLook() != shown_) {
        update();
    }
}

void MonitorScrollBar::sliderChange(SliderChange change) {
    if (change == SliderOrientationChange || (!batching_ && CurrentLook() != shown_)) {
        QScrollBar::sliderChange(change);  // schedules the repaint
    }
}

void MonitorScrollBar::paintEvent(QPaintEvent* event) {
    shown_ = CurrentLook();
    QScrollBar::paintEvent(event);
}

MonitorScrollBar::Look MonitorScrollBar::CurrentLook() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}

}  // namespace kestrum
