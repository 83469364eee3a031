#pragma once
// Printing the monitor's text: the chosen range with its colours, in the fixed-pitch
// font, wrapped between tokens at the page width, with page breaks, margins of at least
// 15 mm and a heading on every page.

#include <QString>
#include <cstddef>
#include <functional>

#include "ui/monitor/monitor_text.h"

class QPrinter;

namespace kestrum {

enum class PrintOutcome { Cancelled, Printed, Failed };

inline constexpr double kMinimumPrintMarginMm = 15.0;

// "Page n of m", at the top right of every page.
QString PageNumberText(std::size_t page, std::size_t pages);

// Called after each printed page with the pages done and the page count; false ends the
// print there.
using PrintPageDone = std::function<bool(std::size_t done, std::size_t pages)>;

// Prints the stored characters [from, to) on `printer`, each page headed by `heading`
// (what was printed: device, line settings, date and time) and its page number; the
// printer's margins are widened to kMinimumPrintMarginMm where narrower. Failed when the
// printer cannot be started (for example an output file that cannot be created). Cancelled
// when `pageDone` returned false: the print job is aborted, and an output file it was
// writing removed, so no half print passes for a whole one. The text must not change
// meanwhile.
PrintOutcome PrintMonitorText(const MonitorText& text, std::size_t from, std::size_t to,
                              QPrinter& printer, const QString& heading = {},
                              const PrintPageDone& pageDone = {});

}  // namespace kestrum
