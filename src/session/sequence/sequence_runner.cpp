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

void SequenceRunner::Open() {
    port_->SetRThreshold(1);
    // Set up before the open starts: a local device completes within the call.
    connect(port_.get(), &SerialPort::Opened, this, &SequenceRunner::Start,
            Qt::SingleShotConnection);
    connect(port_.get(), &SerialPort::OpenFailed, this, &SequenceRunner::OnOpenFailed,
            Qt::SingleShotConnection);
    port_->Open();
}

void SequenceRunner::OnOpenFailed(const PortError& error) {
    if (opened_ || finished_) {
        return;
    }
    const QString message = PortWarningText(error);
    emit OpenFailed(message);
    drive_.ErrorAll(message);
}

void SequenceRunner::Start() {
    if (finished_) {
        return;
    }
    opened_ = true;
    drive_.Start();
}

void SequenceRunner::Interrupt() {
    drive_.Interrupt();
}

void SequenceRunner::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    port_->Close();
    traffic_.TrafficCapture().Stop();
    emit RunFinished();
}

}  // namespace kestrum
