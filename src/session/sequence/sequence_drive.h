#pragma once
// Drives the sequence engine from a traffic path and a timer: the engine's writes go out
// through the path (as Send String's do), the bytes the path hands on and the time go to the
// engine, and every step's traffic is kept for the report. The headless runner and the
// window's run both drive a sequence through this class.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "session/sequence/sequence_engine.h"
#include "session/sequence/sequence_report.h"
#include "session/traffic_path.h"

namespace kestrum {

// A step keeps this many of its received bytes to show beside its expectation.
inline constexpr std::size_t kStepReceivedKept = 4096;

class SequenceDrive final : public QObject {
    Q_OBJECT
public:
    // `traffic` must outlive the drive; its port's loss errors the running step.
    SequenceDrive(std::shared_ptr<const Sequence> sequence, TrafficPath& traffic, QString device,
                  QObject* parent = nullptr);
    ~SequenceDrive() override;

    // After the steps, the reply rules stay active until Interrupt (auto replies).
    void KeepReplying() {
        engine_.KeepReplying();
        source_ = TrafficSource::AutoReply;
    }
    // Starts the run on the path's port (a closed port is opened by the first send).
    void Start();
    // The running step errors, the rest are skipped.
    void Interrupt();
    // The port could not be opened: every step errors with `message` and the run is over.
    void ErrorAll(const QString& message);

    bool Started() const { return started_; }
    bool Finished() const { return finished_; }
    // The step run in progress, 1-based; 0 when none.
    int CurrentNumber() const { return engine_.CurrentNumber(); }
    int TotalRuns() const { return engine_.TotalRuns(); }
    const SuiteRecord& Suite() const { return suite_; }
    const Sequence& Source() const { return *sequence_; }

signals:
    void StepDone(const kestrum::StepVerdict& verdict);
    // A sentence worth telling (a reply loop, a fact about the port).
    void Notice(const QString& text);
    // The engine wrote bytes that were not a step's send (a reply rule's answer).
    void Replied();
    void RunFinished();

private:
    Millis Now() const { return Millis(clock_.elapsed()); }
    void OnReceived(const std::string& bytes);
    void OnSent(const SentTraffic& sent);
    void OnPortFailed();
    // Acts on what the engine decided; schedules its next deadline.
    void Pump();
    void Record(bool received, std::string_view bytes);
    void Finish();

    std::shared_ptr<const Sequence> sequence_;
    TrafficPath& traffic_;
    SequenceEngine engine_;
    QElapsedTimer clock_;
    QTimer deadline_;
    SuiteRecord suite_;
    QString stepTraffic_;        // the traffic of the step in progress
    std::string stepReceived_;   // the start of what the step in progress received
    qsizetype trafficKept_ = 0;  // characters of traffic kept in the whole run
    bool pumping_ = false;
    TrafficSource source_ = TrafficSource::Sequence;
    bool started_ = false;
    bool finished_ = false;
};

}  // namespace kestrum
