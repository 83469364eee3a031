#include "session/sequence/sequence_runner.h"

namespace kestrum {

SequenceRunner::SequenceRunner(std::shared_ptr<const Sequence> sequence, QString device,
                               std::unique_ptr<SerialPort> port, SettingsStore settings,
                               QObject* parent)
    : QObject(parent),
      sequence_(sequence),
      port_(std::move(port)),
      settings_(std::move(settings)),
      engine_(sequence) {
    state_.MainMode = static_cast<std::int16_t>(sequence_->notation);
    suite_.name = sequence_->name;
    suite_.device = std::move(device);
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, &SequenceRunner::OnDeadline);
    connect(&traffic_, &TrafficPath::Received, this, &SequenceRunner::OnReceived);
    connect(&traffic_, &TrafficPath::Sent, this, &SequenceRunner::OnSent);
    connect(&traffic_, &TrafficPath::SendFailed, this, &SequenceRunner::OnPortFailed);
    connect(port_.get(), &SerialPort::DeviceLost, this, &SequenceRunner::OnPortFailed);
    // The lost device, a refused write, a fact about the port: each a line on standard error.
    connect(&session_, &PortSession::Warning, this, &SequenceRunner::Notice);
    connect(&traffic_, &TrafficPath::Warning, this, &SequenceRunner::Notice);
    connect(port_.get(), &SerialPort::Notice, this, &SequenceRunner::Notice);
    connect(&traffic_.TrafficCapture(), &Capture::Failed, this, &SequenceRunner::Notice);
}

SequenceRunner::~SequenceRunner() = default;

std::optional<QString> SequenceRunner::CaptureTo(const QString& path) {
    return traffic_.TrafficCapture().Start(path, CaptureForm::Log);
}

void SequenceRunner::Open() {
    suite_.started = QDateTime::currentDateTime();
    clock_.start();
    port_->SetRThreshold(1);
    // Set up before the open starts: a local device completes within the call.
    connect(port_.get(), &SerialPort::Opened, this, &SequenceRunner::Start,
            Qt::SingleShotConnection);
    connect(port_.get(), &SerialPort::OpenFailed, this, &SequenceRunner::OnOpenFailed,
            Qt::SingleShotConnection);
    port_->Open();
}

void SequenceRunner::OnOpenFailed(const PortError& error) {
    if (finished_) {
        return;
    }
    const QString message = PortWarningText(error);
    // Not started, the engine only names the runs; each errors with the port's message.
    engine_.Interrupt(Now());
    for (EngineOutput& out : engine_.TakeOutputs()) {
        if (out.kind == EngineOutput::Kind::Verdict) {
            out.verdict.outcome = StepOutcome::Errored;
            out.verdict.detail = message;
            suite_.steps.push_back({out.verdict, {}});
        }
    }
    emit OpenFailed(message);
    Finish();
}

void SequenceRunner::Start() {
    if (finished_) {
        return;
    }
    opened_ = true;
    suite_.started = QDateTime::currentDateTime();
    clock_.start();
    engine_.Start(Now());
    Pump();
}

void SequenceRunner::Interrupt() {
    if (finished_) {
        return;
    }
    engine_.Interrupt(Now());
    Pump();
}

void SequenceRunner::OnReceived(const std::string& bytes) {
    if (finished_) {
        return;
    }
    Record(true, bytes);
    engine_.Received(bytes, Now());
    Pump();
}

void SequenceRunner::OnSent(const SentTraffic& sent) {
    Record(false, sent.bytes);
}

// A send the port refused or could not be opened for, or the device gone.
void SequenceRunner::OnPortFailed() {
    if (finished_) {
        return;
    }
    engine_.PortFailed(Now());
    Pump();
}

void SequenceRunner::OnDeadline() {
    engine_.Tick(Now());
    Pump();
}

void SequenceRunner::Pump() {
    // A refused write feeds the engine again from inside this loop: one level only.
    if (pumping_) {
        return;
    }
    pumping_ = true;
    for (std::vector<EngineOutput> outputs = engine_.TakeOutputs(); !outputs.empty();
         outputs = engine_.TakeOutputs()) {
        for (EngineOutput& out : outputs) {
            switch (out.kind) {
                case EngineOutput::Kind::Write:
                    if (traffic_.RefuseUse()) {
                        engine_.PortFailed(Now());
                    } else {
                        traffic_.SendBytes(out.bytes, TrafficSource::Sequence);
                    }
                    break;
                case EngineOutput::Kind::Verdict:
                    suite_.steps.push_back({out.verdict, std::exchange(stepTraffic_, {})});
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

void SequenceRunner::Record(bool received, std::string_view bytes) {
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

void SequenceRunner::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    deadline_.stop();
    suite_.seconds = clock_.elapsed() / 1000.0;
    port_->Close();
    traffic_.TrafficCapture().Stop();
    emit RunFinished();
}

}  // namespace kestrum
