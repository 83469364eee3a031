#pragma once
// Watches for a lost device to return and reopens the port on it, with the settings the port
// keeps. It looks twice a second: a timer, never a busy loop, so waiting costs next to
// nothing. A device that is back but cannot be opened (busy, no permission) is reported
// once per distinct reason and watched on.

#include <QObject>
#include <QString>
#include <QTimer>

namespace kestrum {

class SerialPort;

class ReconnectWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 500;

    explicit ReconnectWatch(SerialPort& port, QObject* parent = nullptr);

    void Start();
    void Stop();
    bool Watching() const { return timer_.isActive(); }
    // Why the returned device could not be opened at the last look; empty while it is away.
    const QString& Problem() const { return problem_; }

    // One look, as the timer makes it: starts an open once the device is back; Reopened or
    // ProblemChanged follows when it completes.
    void Look();

signals:
    // The port is open again; the watch has stopped.
    void Reopened();
    // The device is back but refused the open, for this reason (said once per reason); an empty
    // reason: it is away again.
    void ProblemChanged(const QString& reason);

private:
    SerialPort& port_;
    QTimer timer_;
    QString problem_;
    bool opening_ = false;  // the open under way is this watch's
};

}  // namespace kestrum
