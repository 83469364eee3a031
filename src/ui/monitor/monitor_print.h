#pragma once
// Printing the monitor's text: the chosen range with its colours, in the fixed-pitch
// font, wrapped between tokens at the page width, with page breaks, margins of at least
// 15 mm and a heading on every page.

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <cstddef>
#include <vector>

#include "ui/monitor/monitor_layout.h"
#include "ui/monitor/monitor_text.h"

class QPrinter;

namespace kestrum {

enum class PrintOutcome { Cancelled, Printed, Failed };

inline constexpr double kMinimumPrintMarginMm = 15.0;

// "Page n of m", at the top right of every page.
QString PageNumberText(std::size_t page, std::size_t pages);

// One print of the stored characters [from, to) on `printer`, a page per call, so that the
// caller can let the event loop run between pages. Each page is headed by `heading` (what
// was printed: device, line settings, date and time) and its page number; the printer's
// margins are widened to kMinimumPrintMarginMm where narrower. The text and the printer must
// outlive the job and the text must not change meanwhile. A job destroyed before End() is
// cancelled.
class MonitorPrintJob {
public:
    MonitorPrintJob(const MonitorText& text, std::size_t from, std::size_t to, QPrinter& printer,
                    QString heading);
    ~MonitorPrintJob();
    MonitorPrintJob(const MonitorPrintJob&) = delete;
    MonitorPrintJob& operator=(const MonitorPrintJob&) = delete;

    // Starts the printer and lays out the pages. False when the printer cannot be started
    // (for example an output file that cannot be created).
    bool Begin();
    std::size_t Pages() const { return pages_.size(); }
    std::size_t PagesDone() const { return done_; }
    bool AllPrinted() const { return done_ == pages_.size(); }
    // Prints the next page. False when the printer fails; the job is then over.
    bool PrintNextPage();
    // Once every page is printed: Printed, or Failed when the printer cannot finish.
    PrintOutcome End();
    // Aborts the job and removes an output file it was writing, so that no half print
    // passes for a whole one.
    void Cancel();

private:
    const MonitorText& text_;
    std::size_t from_;
    std::size_t to_;
    QPrinter& printer_;
    QString heading_;
    QPainter painter_;
    QFont font_;
    QFontMetricsF metrics_;
    QRectF page_;
    qreal charWidth_ = 1;
    qreal lineHeight_ = 1;
    std::vector<PrintPage> pages_;
    std::size_t done_ = 0;
};

// The whole print at once, for a caller that needs no event loop between pages.
PrintOutcome PrintMonitorText(const MonitorText& text, std::size_t from, std::size_t to,
                              QPrinter& printer, const QString& heading = {});

}  // namespace kestrum
