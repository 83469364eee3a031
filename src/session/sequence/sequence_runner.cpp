#include "session/sequence/sequence_runner.h"

#include "session/port_session.h"

namespace kestrum {

SequenceRunner::SequenceRunner(std::shared_ptr<const Sequence> sequence, QString device,
                               std::unique_ptr<SerialPort> port, QObject* parent)
    : QObject(parent), sequence_(sequence), port_(std::move(port)), engine_(sequence) {
    suite_.name = sequence_->name;
    suite_.device = std::move(device);
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, &SequenceRunner::OnDeadline);
    connect(port_.get(), &SerialPort::OnComm, this, &SequenceRunner::OnReceived);
    connect(port_.get(), &SerialPort::DeviceLost, this, &SequenceRunner::OnDeviceLost);
    connect(port_.get(), &SerialPort::Notice, this, &SequenceRunner::Notice);
    connect(&capture_, &Capture::Failed, this, &SequenceRunner::Notice);
}

SequenceRunner::~SequenceRunner() = default;

std::optional<QString> SequenceRunner::CaptureTo(const QString& path) {
    return capture_.Start(path, CaptureForm::Log);
}

std::optional<QString> SequenceRunner::Open() {
    suite_.started = QDateTime::currentDateTime();
    clock_.start();
    try {
        port_->SetRThreshold(1);
        port_->SetInputLen(0);
        port_->SetPortOpen(true);
    } catch (const PortError& error) {
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
        Finish();
        return message;
    }
    return std::nullopt;
}

void SequenceRunner::Start() {
    if (finished_) {
        return;
    }
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

void SequenceRunner::OnReceived() {
    std::string bytes;
    while (port_->InBufferCount() > 0) {
        const std::string piece = port_->Input();
        if (piece.empty()) {
            break;
        }
        bytes += piece;
    }
    if (bytes.empty() || finished_) {
        return;
    }
    Record(true, bytes);
    engine_.Received(bytes, Now());
    Pump();
}

void SequenceRunner::OnDeviceLost(const QString& reason) {
    if (finished_) {
        return;
    }
    emit Notice(reason);
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
                    try {
                        port_->Output(out.bytes);
                        Record(false, out.bytes);
                    } catch (const PortError& error) {
                        emit Notice(QString::fromStdString(error.what()));
                        engine_.PortFailed(Now());
                    }
                    break;
                case EngineOutput::Kind::Verdict:
                    suite_.steps.push_back({out.verdict, std::exchange(traffic_, {})});
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
    if (received) {
        capture_.Received(bytes, sequence_->notation);
    } else {
        capture_.Sent(bytes, sequence_->notation);
    }
    if (traffic_.size() > report_text::kTrafficLimit ||
        trafficKept_ > report_text::kSuiteTrafficLimit) {
        return;
    }
    const std::string line =
        CaptureLogLine(QDateTime::currentDateTime(), received, bytes, sequence_->notation);
    const qsizetype before = traffic_.size();
    traffic_ += QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    if (traffic_.size() > report_text::kTrafficLimit) {
        traffic_.truncate(report_text::kTrafficLimit);
        traffic_ += QString::fromLatin1(report_text::kTrafficCut);
    }
    trafficKept_ += traffic_.size() - before;
}

void SequenceRunner::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    deadline_.stop();
    suite_.seconds = clock_.elapsed() / 1000.0;
    port_->SetPortOpen(false);
    capture_.Stop();
    emit RunFinished();
}

}  // namespace kestrum
