#pragma once
// Runs a sequence on one port of its own, through a traffic path of its own that a
// SequenceDrive drives. Several runners share one event loop and never wait on each other, so
// a rack of devices runs at once.

#include <QObject>
#include <memory>

#include "platform/serial_port.h"
#include "session/app_state.h"
#include "session/port_session.h"
#include "session/sequence/sequence_drive.h"
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
    const SuiteRecord& Suite() const { return drive_.Suite(); }
    const QString& Device() const { return drive_.Suite().device; }

signals:
    void StepDone(const kestrum::StepVerdict& verdict);
    // A sentence worth a line on standard error (a reply loop, a fact about the port).
    void Notice(const QString& text);
    void OpenFailed(const QString& message);
    void RunFinished();

private:
    void Start();
    void OnOpenFailed(const PortError& error);
    void Finish();

    std::unique_ptr<SerialPort> port_;
    SettingsStore settings_;
    AppState state_;  // the file's notation: capture lines and echoes are written in it
    PortSession session_{*port_, settings_};
    TrafficPath traffic_{session_, state_};
    SequenceDrive drive_;
    bool opened_ = false;
    bool finished_ = false;
};

}  // namespace kestrum
