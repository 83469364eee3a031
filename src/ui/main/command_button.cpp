#include "ui/main/command_button.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/widgets/latin1.h"

namespace kestrum {

namespace {
// Far more than fits on any button or tooltip, however it is resized.
constexpr qsizetype kMostCaptionCharactersPainted = 1000;
constexpr auto kEllipsis = "...";

QString Shortened(QString text) {
    if (text.size() > kMostCaptionCharactersPainted) {
        text.truncate(kMostCaptionCharactersPainted);
        text += QLatin1String(kEllipsis);
    }
    return text;
}
}  // namespace

QString CommandButton::ShownText() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = text().left(kMostCaptionCharactersPainted);
    const QFontMetrics metrics = fontMetrics();
    // The style draws the caption centred in the contents area; a little is kept clear of
    // the frame on each side.
    const int room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width() -
                     2 * metrics.horizontalAdvance(QLatin1Char(' '));
    if (metrics.horizontalAdvance(caption) <= room) {
        return caption;
    }
    // The longest beginning that fits with the ellipsis.
    qsizetype fits = 0;
    qsizetype tooLong = caption.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = (fits + tooLong) / 2;
        if (metrics.horizontalAdvance(caption.left(middle) + QLatin1String(kEllipsis)) <= room) {
            fits = middle;
        } else {
            tooLong = middle;
        }
    }
    return caption.left(fits) + QLatin1String(kEllipsis);
}

void CommandButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = ShownText();
    painter.drawControl(QStyle::CE_PushButton, option);
}

QString CommandToolTip(const QString& label, const std::string& hexCommand) {
    if (label.isEmpty() && hexCommand.empty()) {
        return {};
    }
    // As rich text, so that a label that looks like markup is still shown as typed.
    return QStringLiteral("<p style='white-space:pre'>%1<br>%2</p>")
        .arg(Shortened(label).toHtmlEscaped(), Shortened(FromBytes(hexCommand)).toHtmlEscaped());
}

}  // namespace kestrum
