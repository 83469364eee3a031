#include "ui/main/monitor_zoom.h"

#include <QAction>
#include <QKeySequence>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "session/line_control.h"
#include "storage/settings_store.h"
#include "ui/monitor/monitor_view.h"

namespace kestrum {

using namespace zoom_ui;

MonitorZoom::MonitorZoom(MonitorView& view, SettingsStore& settings, QWidget& window)
    : QObject(&window), view_(view), settings_(settings) {
    const QString stored = settings_.GetSetting(settings::kMonitorZoomPercent);
    bool number = false;
    const int percent = stored.toInt(&number);
    if (number && percent >= kSteps.front() && percent <= kSteps.back()) {
        view_.SetZoomPercent(percent);
    } else {
        // Told once the window's start-up is over, not in its middle.
        QTimer::singleShot(0, this, [this, stored] {
            emit Warning(QString::fromLatin1(line_text::kMsgBadStoredValue)
                             .arg(settings::KeyName(settings::kMonitorZoomPercent.name), stored,
                                  QString::number(kDesigned)));
        });
    }
    const auto addKeys = [&](QList<QKeySequence> keys, auto handler) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        window.addAction(action);
        connect(action, &QAction::triggered, this, handler);
    };
    // Ctrl+= is Ctrl+plus without Shift on many keyboards.
    addKeys({QKeySequence::ZoomIn, QKeySequence(QStringLiteral("Ctrl+="))}, [this] { Step(1); });
    addKeys({QKeySequence::ZoomOut}, [this] { Step(-1); });
    addKeys({QKeySequence(QStringLiteral("Ctrl+0"))}, [this] { Reset(); });
    connect(&view_, &MonitorView::ZoomWheel, this, &MonitorZoom::Step);
}

void MonitorZoom::Step(int steps) {
    int percent = view_.ZoomPercent();
    for (; steps > 0; --steps) {
        const auto* next = std::upper_bound(kSteps.begin(), kSteps.end(), percent);
        percent = next == kSteps.end() ? kSteps.back() : *next;
    }
    for (; steps < 0; ++steps) {
        const auto* next = std::lower_bound(kSteps.begin(), kSteps.end(), percent);
        percent = next == kSteps.begin() ? kSteps.front() : *(next - 1);
    }
    Apply(percent);
}

void MonitorZoom::Reset() {
    Apply(kDesigned);
}

void MonitorZoom::Apply(int percent) {
    if (percent == view_.ZoomPercent()) {
        return;
    }
    view_.SetZoomPercent(percent);
    settings_.SaveSetting(settings::kMonitorZoomPercent, QString::number(percent));
}

}  // namespace kestrum
