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
#include <utility>

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

MonitorPrintJob::MonitorPrintJob(const MonitorText& text, std::size_t from, std::size_t to,
                                 QPrinter& printer, QString heading)
    : text_(text),
      from_(from),
      to_(to),
      printer_(printer),
      heading_(std::move(heading)),
      font_(QFontDatabase::systemFont(QFontDatabase::FixedFont)),
      metrics_(font_) {}

MonitorPrintJob::~MonitorPrintJob() {
    if (painter_.isActive()) {
        Cancel();
    }
}

bool MonitorPrintJob::Begin() {
    WidenMargins(printer_);
    if (!painter_.begin(&printer_)) {
        return false;
    }
    painter_.setFont(font_);
    metrics_ = QFontMetricsF(painter_.font(), painter_.device());
    charWidth_ = std::max<qreal>(1, metrics_.horizontalAdvance(QLatin1Char('0')));
    lineHeight_ = std::max<qreal>(1, metrics_.lineSpacing());
    // The painter's origin is the top left of the printable area.
    page_ = printer_.pageLayout().paintRectPixels(printer_.resolution());
    const auto columns =
        static_cast<std::size_t>(std::max(1.0, std::floor(page_.width() / charWidth_)));
    const auto rowsPerPage = static_cast<std::size_t>(
        std::max(1.0, std::floor(page_.height() / lineHeight_) - kHeadingRows));
    pages_ = LayOutPrintPages(text_, from_, to_, columns, rowsPerPage);
    return true;
}

bool MonitorPrintJob::PrintNextPage() {
    if (done_ > 0 && !printer_.newPage()) {
        painter_.end();
        return false;
    }
    qreal baseline = metrics_.ascent();
    painter_.setPen(Qt::black);
    const QString number = PageNumberText(done_ + 1, pages_.size());
    const qreal numberWidth = metrics_.horizontalAdvance(number);
    painter_.drawText(QPointF(page_.width() - numberWidth, baseline), number);
    painter_.drawText(
        QRectF(0, 0, std::max<qreal>(0, page_.width() - numberWidth - charWidth_), lineHeight_),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
        metrics_.elidedText(heading_, Qt::ElideRight,
                            page_.width() - numberWidth - 2 * charWidth_));
    baseline += lineHeight_ * kHeadingRows;
    for (const RowSpan& row : pages_[done_].rows) {
        for (const ColourSegment& segment : text_.ColourSegments(row.from, row.to)) {
            painter_.setPen(QColor::fromRgb(segment.colour));
            const qreal x = static_cast<qreal>(segment.from - row.from) * charWidth_;
            painter_.drawText(QPointF(x, baseline), DisplayText(text_, segment.from, segment.to));
        }
        baseline += lineHeight_;
    }
    ++done_;
    return true;
}

PrintOutcome MonitorPrintJob::End() {
    return painter_.end() ? PrintOutcome::Printed : PrintOutcome::Failed;
}

void MonitorPrintJob::Cancel() {
    printer_.abort();
    painter_.end();
    if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty()) {
        QFile::remove(printer_.outputFileName());
    }
}

PrintOutcome PrintMonitorText(const MonitorText& text, std::size_t from, std::size_t to,
                              QPrinter& printer, const QString& heading) {
    MonitorPrintJob job(text, from, to, printer, heading);
    if (!job.Begin()) {
        return PrintOutcome::Failed;
    }
    while (!job.AllPrinted()) {
        if (!job.PrintNextPage()) {
            return PrintOutcome::Failed;
        }
    }
    return job.End();
}

}  // namespace kestrum
