#include "ui/main/command_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace kestrum {

namespace {
// Far more than fits on any button, however it is resized.
constexpr qsizetype kMostCaptionCharactersPainted = 1000;
}  // namespace

void CommandButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.truncate(kMostCaptionCharactersPainted);
    painter.drawControl(QStyle::CE_PushButton, option);
}

}  // namespace kestrum
