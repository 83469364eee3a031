#include "session/sequence/sequence_drive.h"

#include "session/capture.h"
#include "session/port_session.h"

namespace kestrum {

SequenceDrive::SequenceDrive(std::shared_ptr<const Sequence> sequence, TrafficPath& traffic,
                             QString device, QObject* parent)
    : QObject(parent), sequence_(sequence), traffic_(traffic), engine_(sequence) {
    suite_.name = sequence_->name;
    suite_.device = std::move(device);
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        engine_.Tick(Now());
        Pump();
    });
    connect(&traffic_, &TrafficPath::Received, this, &SequenceDrive::OnReceived);
    connect(&traffic_, &TrafficPath::Sent, this, &SequenceDrive::OnSent);
    connect(&traffic_, &TrafficPath::SendFailed, this, [this](TrafficSource source, int) {
        // Only its own sends: a failed auto reply is not the running step's failure.
        if (source == source_) {
            OnPortFailed();
        }
    });
    connect(&traffic_.Session().Port(), &SerialPort::DeviceLost, this,
            &SequenceDrive::OnPortFailed);
}

SequenceDrive::~SequenceDrive() = default;

void SequenceDrive::Start() {
    if (started_ || finished_) {
        return;
    }
    started_ = true;
    suite_.started = QDateTime::currentDateTime();
    clock_.start();
    engine_.Start(Now());
    Pump();
}

void SequenceDrive::Interrupt() {
    if (finished_) {
        return;
    }
    if (!clock_.isValid()) {
        clock_.start();
    }
    engine_.Interrupt(Now());
    Pump();
}

void SequenceDrive::ErrorAll(const QString& message) {
    if (finished_) {
        return;
    }
    suite_.started = QDateTime::currentDateTime();
    clock_.start();
    // Not started, the engine only names the runs; each errors with the port's message.
    engine_.Interrupt(Now());
    for (EngineOutput& out : engine_.TakeOutputs()) {
        if (out.kind == EngineOutput::Kind::Verdict) {
            out.verdict.outcome = StepOutcome::Errored;
            out.verdict.detail = message;
            suite_.steps.push_back({out.verdict, {}, {}});
        }
    }
    Finish();
}

void SequenceDrive::OnReceived(const std::string& bytes) {
    if (!started_ || finished_) {
        return;
    }
    Record(true, bytes);
    if (stepReceived_.size() < kStepReceivedKept) {
        stepReceived_.append(bytes, 0, kStepReceivedKept - stepReceived_.size());
    }
    engine_.Received(bytes, Now());
    Pump();
}

void SequenceDrive::OnSent(const SentTraffic& sent) {
    if (started_ && !finished_) {
        Record(false, sent.bytes);
    }
}

// A send the port refused or could not be opened for, or the device gone.
void SequenceDrive::OnPortFailed() {
    if (!started_ || finished_) {
        return;
    }
    engine_.PortFailed(Now());
    Pump();
}

void SequenceDrive::Pump() {
    // A refused write feeds the engine again from inside this loop: one level only.
    if (pumping_) {
        return;
    }
    pumping_ = true;
    for (std::vector<EngineOutput> outputs = engine_.TakeOutputs(); !outputs.empty();
         outputs = engine_.TakeOutputs()) {
        for (EngineOutput& out : outputs) {
            switch (out.kind) {
                case EngineOutput::Kind::Write: {
                    const bool reply = out.reply;
                    if (traffic_.RefuseUse()) {
                        engine_.PortFailed(Now());
                    } else {
                        traffic_.SendBytes(out.bytes, source_);
                        if (reply) {
                            emit Replied();
                        }
                    }
                    break;
                }
                case EngineOutput::Kind::Verdict:
                    suite_.steps.push_back({out.verdict, std::exchange(stepTraffic_, {}),
                                            std::exchange(stepReceived_, {})});
                    emit StepDone(out.verdict);
                    break;
                case EngineOutput::Kind::Notice:
                    suite_.notices += out.notice + QLatin1Char('\n');
                    emit Notice(out.notice);
                    break;
            }
        }
    }
    pumping_ = false;
    if (engine_.Finished()) {
        Finish();
        return;
    }
    if (const std::optional<Millis> next = engine_.NextDeadline()) {
        deadline_.start(std::max<qint64>(0, (*next - Now()).count()));
    } else {
        deadline_.stop();
    }
}

void SequenceDrive::Record(bool received, std::string_view bytes) {
    if (stepTraffic_.size() > report_text::kTrafficLimit ||
        trafficKept_ > report_text::kSuiteTrafficLimit) {
        return;
    }
    const std::string line =
        CaptureLogLine(QDateTime::currentDateTime(), received, bytes, sequence_->notation);
    const qsizetype before = stepTraffic_.size();
    stepTraffic_ += QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    if (stepTraffic_.size() > report_text::kTrafficLimit) {
        stepTraffic_.truncate(report_text::kTrafficLimit);
        stepTraffic_ += QString::fromLatin1(report_text::kTrafficCut);
    }
    trafficKept_ += stepTraffic_.size() - before;
}

void SequenceDrive::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    deadline_.stop();
    suite_.seconds = clock_.elapsed() / 1000.0;
    emit RunFinished();
}

}  // namespace kestrum
