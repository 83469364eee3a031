#pragma once
// Runs a sequence on one port: the engine's writes go out through the traffic path (as Send
// String's do), the bytes it hands on and the time go to the engine, every step's traffic is
// recorded for the report. Several runners share one event loop and never wait on each other,
// so a rack of devices runs at once.

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

#include "platform/serial_port.h"
#include "session/app_state.h"
#include "session/port_session.h"
#include "session/sequence/sequence_engine.h"
#include "session/sequence/sequence_report.h"
#include "session/traffic_path.h"
#include "storage/settings_store.h"

namespace kestrum {

class SequenceRunner final : public QObject {
    Q_OBJECT
public:
    // `port` is configured for its device (port number, line settings) and still closed;
    // `settings` is only read (the port's control lines).
    SequenceRunner(std::shared_ptr<const Sequence> sequence, QString device,
                   std::unique_ptr<SerialPort> port, SettingsStore settings,
                   QObject* parent = nullptr);
    ~SequenceRunner() override;

    // Starts a capture log of the run's traffic in `path`; the message when it cannot start.
    std::optional<QString> CaptureTo(const QString& path);
    // Starts opening the port; the run starts once it is open, without waiting for the other
    // devices of a rack. When it cannot be opened, every step errors with the port's message,
    // OpenFailed says it, and the run is finished.
    void Open();
    // The port was opened (the run started).
    bool WasOpened() const { return opened_; }
    // Ctrl+C: the running step errors, the rest are skipped, the port is closed.
    void Interrupt();

    bool Finished() const { return finished_; }
    const SuiteRecord& Suite() const { return suite_; }
    const QString& Device() const { return suite_.device; }

signals:
    void StepDone(const kestrum::StepVerdict& verdict);
    // A sentence worth a line on standard error (a reply loop, a fact about the port).
    void Notice(const QString& text);
    void OpenFailed(const QString& message);
    void RunFinished();

private:
    Millis Now() const { return Millis(clock_.elapsed()); }
    void OnReceived(const std::string& bytes);
    void OnSent(const SentTraffic& sent);
    void OnPortFailed();
    void OnOpenFailed(const PortError& error);
    void Start();
    void OnDeadline();
    // Acts on what the engine decided; schedules its next deadline.
    void Pump();
    void Record(bool received, std::string_view bytes);
    void Finish();

    std::shared_ptr<const Sequence> sequence_;
    std::unique_ptr<SerialPort> port_;
    SettingsStore settings_;
    AppState state_;  // the file's notation: capture lines and echoes are written in it
    PortSession session_{*port_, settings_};
    TrafficPath traffic_{session_, state_};
    SequenceEngine engine_;
    QElapsedTimer clock_;
    QTimer deadline_;
    SuiteRecord suite_;
    QString stepTraffic_;        // the traffic of the step in progress
    qsizetype trafficKept_ = 0;  // characters of traffic kept in the whole run
    bool pumping_ = false;
    bool opened_ = false;
    bool finished_ = false;
};

}  // namespace kestrum
