#include "ui/monitor/monitor_print.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "ui/monitor/monitor_layout.h"

namespace kestrum {

namespace {

QString DisplayText(const MonitorText& text, std::size_t from, std::size_t to) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(to - from));
    for (std::size_t position = from; position < to; ++position) {
        shown.append(DisplayCharacter(text.At(position)));
    }
    return shown;
}

// Margins narrower than kMinimumPrintMarginMm are widened to it.
void WidenMargins(QPrinter& printer) {
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    const auto atLeast = [](qreal margin) { return std::max(margin, kMinimumPrintMarginMm); };
    printer.setPageMargins(QMarginsF(atLeast(margins.left()), atLeast(margins.top()),
                                     atLeast(margins.right()), atLeast(margins.bottom())),
                           QPageLayout::Millimeter);
}

// The heading and the page number take the first row of a page, and one row is left blank.
constexpr std::size_t kHeadingRows = 2;

}  // namespace

QString PageNumberText(std::size_t page, std::size_t pages) {
    return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

PrintOutcome PrintMonitorText(const MonitorText& text, std::size_t from, std::size_t to,
                              QPrinter& printer, const QString& heading,
                              const PrintPageDone& pageDone) {
    WidenMargins(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return PrintOutcome::Failed;
    }
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    painter.setFont(font);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const qreal charWidth = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('0')));
    const qreal lineHeight = std::max<qreal>(1, metrics.lineSpacing());
    // The painter's origin is the top left of the printable area.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const auto columns =
        static_cast<std::size_t>(std::max(1.0, std::floor(page.width() / charWidth)));
    const auto rowsPerPage = static_cast<std::size_t>(
        std::max(1.0, std::floor(page.height() / lineHeight) - kHeadingRows));

    const std::vector<PrintPage> pages = LayOutPrintPages(text, from, to, columns, rowsPerPage);
    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (index > 0 && !printer.newPage()) {
            painter.end();
            return PrintOutcome::Failed;
        }
        qreal baseline = metrics.ascent();
        painter.setPen(Qt::black);
        const QString number = PageNumberText(index + 1, pages.size());
        const qreal numberWidth = metrics.horizontalAdvance(number);
        painter.drawText(QPointF(page.width() - numberWidth, baseline), number);
        painter.drawText(
            QRectF(0, 0, std::max<qreal>(0, page.width() - numberWidth - charWidth), lineHeight),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            metrics.elidedText(heading, Qt::ElideRight,
                               page.width() - numberWidth - 2 * charWidth));
        baseline += lineHeight * kHeadingRows;
        for (const RowSpan& row : pages[index].rows) {
            for (const ColourSegment& segment : text.ColourSegments(row.from, row.to)) {
                painter.setPen(QColor::fromRgb(segment.colour));
                const qreal x = static_cast<qreal>(segment.from - row.from) * charWidth;
                painter.drawText(QPointF(x, baseline), DisplayText(text, segment.from, segment.to));
            }
            baseline += lineHeight;
        }
        if (pageDone && !pageDone(index + 1, pages.size())) {
            printer.abort();
            painter.end();
            if (printer.outputFormat() == QPrinter::PdfFormat &&
                !printer.outputFileName().isEmpty()) {
                QFile::remove(printer.outputFileName());
            }
            return PrintOutcome::Cancelled;
        }
    }
    return painter.end() ? PrintOutcome::Printed : PrintOutcome::Failed;
}

}  // namespace kestrum
