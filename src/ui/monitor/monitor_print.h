#pragma once
// Printing the monitor's text: the chosen range with its colours, in the fixed-pitch
// font, wrapped at the page width, with page breaks.

#include <cstddef>

#include "ui/monitor/monitor_text.h"

class QPrinter;

namespace kestrum {

enum class PrintOutcome { Cancelled, Printed, Failed };

// Prints the stored characters [from, to) on `printer`. Failed when the printer
// cannot be started (for example an output file that cannot be created).
PrintOutcome PrintMonitorText(const MonitorText& text, std::size_t from, std::size_t to,
                              QPrinter& printer);

}  // namespace kestrum
