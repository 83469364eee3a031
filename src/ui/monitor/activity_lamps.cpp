#include "ui/monitor/activity_lamps.h"

#include <QPainter>
#include <algorithm>

#include "ui/monitor/monitor_constants.h"

namespace kestrum {

LampWidget::LampWidget(QWidget* parent) : QWidget(parent) {}

void LampWidget::SetLit(bool lit) {
    if (lit_ != lit) {
        lit_ = lit;
        update();
    }
}

QColor LampWidget::FillColour() const {
    return QColor::fromRgb(lit_ ? kLampOnColour : kLampOffColour);
}

QSize LampWidget::sizeHint() const {
    return {13, 13};
}

void LampWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(FillColour());
    const int side = std::min(width(), height()) - 1;
    painter.drawEllipse(QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side));
}

ActivityLamps::ActivityLamps(QWidget* lampParent, QObject* parent)
    : QObject(parent), led1_(new LampWidget(lampParent)), led2_(new LampWidget(lampParent)) {
    led1_->setObjectName(QStringLiteral("LED1"));
    led2_->setObjectName(QStringLiteral("LED2"));
    timer1_.setInterval(kLampInterval);
    connect(&timer1_, &QTimer::timeout, this, &ActivityLamps::Timer1_Timer);
}

ActivityLamps::~ActivityLamps() {
    delete led1_.data();
    delete led2_.data();
}

void ActivityLamps::LightTransmitLamp() {
    HoldTransmitLamp();
    EnableTimer();
}

void ActivityLamps::LightReceiveLamp() {
    if (led2_) {
        led2_->SetLit(true);
    }
    EnableTimer();
}

void ActivityLamps::HoldTransmitLamp() {
    if (led1_) {
        led1_->SetLit(true);
    }
}

void ActivityLamps::EnableTimer() {
    if (!timer1_.isActive()) {
        timer1_.start();
    }
}

void ActivityLamps::Timer1_Timer() {
    if (led1_) {
        led1_->SetLit(false);
    }
    if (led2_) {
        led2_->SetLit(false);
    }
    timer1_.stop();
}

}  // namespace kestrum
