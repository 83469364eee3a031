#pragma once
// Monitor zoom: Ctrl+plus, Ctrl+minus, Ctrl+0 and Ctrl+wheel over the monitor draw its text
// larger or smaller (a reading seen across a room), remembered as "MonitorZoomPercent".

#include <QObject>
#include <array>

#include "storage/settings_keys.h"

class QWidget;

namespace kestrum {

class MonitorView;
class SettingsStore;

namespace settings {
// Percent of the designed monitor font, kMinZoom..kMaxZoom; 100 as designed.
inline constexpr SettingKey kMonitorZoomPercent{"MonitorZoomPercent", "100"};
}  // namespace settings

namespace zoom_ui {
// The sizes one step apart, as browsers offer them.
inline constexpr std::array kSteps{50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400};
inline constexpr int kDesigned = 100;
}  // namespace zoom_ui

class MonitorZoom final : public QObject {
    Q_OBJECT
public:
    // Applies the stored zoom to `view`; the keys work anywhere in `window`.
    MonitorZoom(MonitorView& view, SettingsStore& settings, QWidget& window);

    // Steps up (positive) or down through kSteps, stopping at either end.
    void Step(int steps);
    void Reset();

signals:
    // A malformed stored value was replaced by the default.
    void Warning(const QString& text);

private:
    void Apply(int percent);

    MonitorView& view_;
    SettingsStore& settings_;
};

}  // namespace kestrum
