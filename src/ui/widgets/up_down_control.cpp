#include "ui/widgets/up_down_control.h"

#include <QResizeEvent>
#include <QToolButton>

namespace kestrum {

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(false);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, &UpDownControl::UpClick);
    connect(down_, &QToolButton::clicked, this, &UpDownControl::DownClick);
}

void UpDownControl::resizeEvent(QResizeEvent* event) {
    const int half = event->size().height() / 2;
    up_->setGeometry(0, 0, event->size().width(), half);
    down_->setGeometry(0, half, event->size().width(), event->size().height() - half);
}

}  // namespace kestrum
