#include "ui/main/command_button.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

#include "ui/widgets/latin1.h"

namespace kestrum {

namespace {
// Far more than fits on any button or tooltip, however it is resized.
constexpr qsizetype kMostCaptionCharactersPainted = 1000;
constexpr auto kEllipsis = "...";
// A caption is drawn at most this much smaller before it is shortened.
constexpr int kSmallestFontPercent = 75;

QString Shortened(QString text) {
    if (text.size() > kMostCaptionCharactersPainted) {
        text.truncate(kMostCaptionCharactersPainted);
        text += QLatin1String(kEllipsis);
    }
    return text;
}
}  // namespace

QString CommandButton::ShownText() const {
    return Fit().text;
}

QFont CommandButton::ShownFont() const {
    return Fit().font;
}

CommandButton::Caption CommandButton::Fit() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = text().left(kMostCaptionCharactersPainted);
    const int contents =
        style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width();
    // The style draws the caption centred in the contents area; a little is kept clear of
    // the frame on each side.
    const auto roomIn = [&](const QFontMetrics& metrics) {
        return contents - 2 * metrics.horizontalAdvance(QLatin1Char(' '));
    };
    QFont shown = font();
    if (shown.pixelSize() > 0) {
        const int smallest = std::max(1, shown.pixelSize() * kSmallestFontPercent / 100);
        for (int pixels = shown.pixelSize(); pixels >= smallest; --pixels) {
            QFont smaller = shown;
            smaller.setPixelSize(pixels);
            const QFontMetrics metrics(smaller);
            if (metrics.horizontalAdvance(caption) <= roomIn(metrics)) {
                return {smaller, caption};
            }
        }
    }
    const QFontMetrics metrics(shown);
    const int room = roomIn(metrics);
    if (metrics.horizontalAdvance(caption) <= room) {
        return {shown, caption};
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
    return {shown, caption.left(fits) + QLatin1String(kEllipsis)};
}

void CommandButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const Caption caption = Fit();
    option.text = caption.text;
    painter.setFont(caption.font);
    option.fontMetrics = QFontMetrics(caption.font);
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
