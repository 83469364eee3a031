#include "session/sequence/sequence_runner.h"

namespace kestrum {

SequenceRunner::SequenceRunner(std::shared_ptr<const Sequence> sequence, QString device,
                               std::unique_ptr<SerialPort> port, SettingsStore settings,
                               QObject* parent)
    : QObject(parent),
      port_(std::move(port)),
      settings_(std::move(settings)),
      drive_(sequence, traffic_, std::move(device)) {
    state_.MainMode = static_cast<std::int16_t>(sequence->notation);
    connect(&drive_, &SequenceDrive::StepDone, this, &SequenceRunner::StepDone);
    connect(&drive_, &SequenceDrive::Notice, this, &SequenceRunner::Notice);
    connect(&drive_, &SequenceDrive::RunFinished, this, &SequenceRunner::Finish);
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

std::optional<QString> SequenceRunner::Open() {
    try {
        port_->SetRThreshold(1);
        port_->SetPortOpen(true);
    } catch (const PortError& error) {
        const QString message = PortWarningText(error);
        drive_.ErrorAll(message);
        return message;
    }
    return std::nullopt;
}

void SequenceRunner::Start() {
    if (!finished_) {
        drive_.Start();
    }
}

void SequenceRunner::Interrupt() {
    drive_.Interrupt();
}

void SequenceRunner::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    port_->SetPortOpen(false);
    traffic_.TrafficCapture().Stop();
    emit RunFinished();
}

}  // namespace kestrum
