#pragma once
// Runs a Data Monitor's print and the event loop until the print has ended.

#include <QObject>
#include <QTest>
#include <optional>

#include "ui/monitor/data_monitor.h"

namespace kestrum {

inline PrintOutcome PrintToEnd(DataMonitor& monitor, Prompts& prompts) {
    std::optional<PrintOutcome> outcome;
    const QMetaObject::Connection finished = QObject::connect(
        &monitor, &DataMonitor::PrintFinished, [&](PrintOutcome ended) { outcome = ended; });
    monitor.PrintData(prompts);
    static_cast<void>(QTest::qWaitFor([&] { return outcome.has_value(); }, 600'000));
    QObject::disconnect(finished);
    return outcome.value();
}

}  // namespace kestrum
