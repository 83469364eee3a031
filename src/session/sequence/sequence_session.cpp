#include "session/sequence/sequence_session.h"

#include "session/port_session.h"
#include "session/sequence/sequence_file.h"
#include "session/traffic_path.h"

namespace kestrum {

using namespace sequence_session_text;

namespace {

QString Text(const char* text) {
    return QString::fromLatin1(text);
}

}  // namespace

SequenceSession::SequenceSession(TrafficPath& traffic, QObject* parent)
    : QObject(parent), traffic_(traffic) {
    connect(&traffic_.Session(), &PortSession::StateChanged, this, &SequenceSession::OnPortState);
    connect(&traffic_, &TrafficPath::UserSendRefused, this, &SequenceSession::OnUserSendRefused);
}

SequenceSession::~SequenceSession() {
    // The program or the window ends a run cleanly: the hold on the user's sends goes with it.
    traffic_.HoldUserSends(false);
}

std::optional<QString> SequenceSession::Load(const QString& path) {
    SequenceLoad load = LoadSequenceFile(path);
    if (!load.sequence) {
        return load.error.Text();
    }
    Stop();
    drive_.reset();
    sequence_ = std::make_shared<const Sequence>(std::move(*load.sequence));
    emit StateChanged();
    return std::nullopt;
}

bool SequenceSession::Running() const {
    return waiting_ || (drive_ != nullptr && drive_->Started() && !drive_->Finished());
}

std::optional<QString> SequenceSession::Run() {
    if (sequence_ == nullptr || Running()) {
        return std::nullopt;
    }
    if (traffic_.FileSendRunning()) {
        return Text(kMsgFileSending);
    }
    PortSession& session = traffic_.Session();
    if (traffic_.RefuseUse()) {
        return std::nullopt;  // the session has said why
    }
    switch (session.State()) {
        case PortSession::LinkState::Reconnecting:
            waiting_ = true;
            traffic_.HoldUserSends(true);
            emit StateChanged();
            return std::nullopt;
        case PortSession::LinkState::Lost:
            return Text(kMsgDeviceGone);
        default:
            break;
    }
    StartNow();
    return std::nullopt;
}

void SequenceSession::StartNow() {
    waiting_ = false;
    refusalTold_ = false;
    notice_.clear();
    PortSession& session = traffic_.Session();
    drive_ = std::make_unique<SequenceDrive>(sequence_, traffic_,
                                             session.Device(session.Port().CommPort()));
    connect(drive_.get(), &SequenceDrive::StepDone, this, [this](const StepVerdict& verdict) {
        emit StepDone(verdict);
        emit StateChanged();
    });
    connect(drive_.get(), &SequenceDrive::Notice, this, &SequenceSession::OnNotice);
    connect(drive_.get(), &SequenceDrive::RunFinished, this, [this] {
        traffic_.HoldUserSends(false);
        emit RunFinished();
        emit StateChanged();
    });
    traffic_.HoldUserSends(true);
    emit RunStarted();
    drive_->Start();
    emit StateChanged();
}

void SequenceSession::Stop() {
    if (waiting_) {
        waiting_ = false;
        traffic_.HoldUserSends(false);
        emit StateChanged();
    }
    if (drive_ != nullptr && drive_->Started()) {
        drive_->Interrupt();
    }
}

void SequenceSession::OnPortState() {
    if (waiting_ && traffic_.Session().State() == PortSession::LinkState::Open) {
        StartNow();
    }
}

void SequenceSession::OnUserSendRefused() {
    if (!refusalTold_) {
        refusalTold_ = true;
        emit StateChanged();
    }
}

void SequenceSession::OnNotice(const QString& text) {
    notice_ = text;
    emit Notice(text);
    emit StateChanged();
}

bool SequenceSession::SaveReport(const QString& path, QString* error) const {
    if (drive_ == nullptr) {
        return false;
    }
    if (const std::optional<QString> refusal =
            traffic_.SaveRefusal(path, capture_text::kSavedReport)) {
        if (error != nullptr) {
            *error = *refusal;
        }
        return false;
    }
    return WriteJUnit(path, {drive_->Suite()}, error);
}

std::optional<QString> SequenceSession::StartAutoReplies(const QString& path) {
    SequenceLoad load = LoadSequenceFile(path);
    if (!load.sequence) {
        return load.error.Text();
    }
    if (load.sequence->replies.empty()) {
        return Text(kMsgNoReplies).arg(path);
    }
    StopAutoReplies();
    // Only the rules: the file's steps are for Run Sequence.
    auto rules = std::make_shared<Sequence>(std::move(*load.sequence));
    rules->steps.clear();
    replies_ = std::make_unique<SequenceDrive>(rules, traffic_, QString());
    replies_->KeepReplying();
    connect(replies_.get(), &SequenceDrive::Replied, this, [this] {
        ++repliesSent_;
        emit StateChanged();
    });
    connect(replies_.get(), &SequenceDrive::Notice, this, &SequenceSession::OnNotice);
    repliesSent_ = 0;
    notice_.clear();
    replies_->Start();
    emit StateChanged();
    return std::nullopt;
}

void SequenceSession::StopAutoReplies() {
    if (replies_ == nullptr) {
        return;
    }
    replies_->disconnect(this);
    replies_->Interrupt();
    replies_.reset();
    emit StateChanged();
}

int SequenceSession::AutoReplyRules() const {
    return replies_ == nullptr ? 0 : static_cast<int>(replies_->Source().replies.size());
}

QString SequenceSession::StateText() const {
    QStringList parts;
    if (waiting_) {
        parts << Text(kWaiting);
    } else if (drive_ != nullptr && drive_->Started() && !drive_->Finished()) {
        parts << Text(kRunning).arg(std::max(1, drive_->CurrentNumber())).arg(drive_->TotalRuns());
        if (refusalTold_) {
            parts << Text(kSendsRefused);
        }
    }
    if (replies_ != nullptr) {
        parts << (repliesSent_ == 0
                      ? Text(kAutoReplies).arg(AutoReplyRules())
                      : Text(kAutoRepliesSent).arg(AutoReplyRules()).arg(repliesSent_));
    }
    if (!notice_.isEmpty()) {
        parts << notice_;
    }
    return parts.join(QStringLiteral("; "));
}

}  // namespace kestrum
