#include "session/sequence/sequence_recorder.h"

#include <QDir>
#include <QSaveFile>

#include "session/app_state.h"
#include "session/port_session.h"
#include "session/sequence/sequence.h"
#include "session/sequence/sequence_file.h"
#include "session/traffic_path.h"
#include "storage/file_writing.h"

namespace kestrum {

using namespace recorder_text;

namespace {

// A TOML basic string holding `text` (Latin-1 characters, written as UTF-8).
std::string Quoted(const QString& text) {
    std::string out = "\"";
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            out += '\\';
            out += static_cast<char>(c.unicode());
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", c.unicode());
            out += escape;
        } else {
            out += QString(c).toUtf8().toStdString();
        }
    }
    return out + "\"";
}

}  // namespace

SequenceRecorder::SequenceRecorder(TrafficPath& traffic, const AppState& state, QObject* parent)
    : QObject(parent), traffic_(traffic), state_(state) {
    silence_.setSingleShot(true);
    silence_.setInterval(kSilenceMs);
    connect(&silence_, &QTimer::timeout, this, [this] { listening_ = false; });
    connect(&traffic, &TrafficPath::Sent, this, &SequenceRecorder::OnSent);
    connect(&traffic, &TrafficPath::Received, this, &SequenceRecorder::OnReceived);
}

void SequenceRecorder::Start() {
    steps_.clear();
    nextName_.clear();
    recording_ = true;
    listening_ = false;
    emit Changed();
}

void SequenceRecorder::Stop() {
    recording_ = false;
    listening_ = false;
    silence_.stop();
    emit Changed();
}

void SequenceRecorder::OnSent(const SentTraffic& sent) {
    const bool fromUser =
        sent.source == TrafficSource::SendString || sent.source == TrafficSource::CommandButton;
    if (!recording_ || !fromUser || sent.bytes.empty()) {
        return;
    }
    QString name = std::exchange(nextName_, {});
    if (sent.source != TrafficSource::CommandButton || name.trimmed().isEmpty()) {
        name = QString::fromLatin1(kStepName).arg(steps_.size() + 1);
    }
    steps_.push_back({name, sent.bytes, {}});
    listening_ = true;
    silence_.start();
    emit Changed();
}

void SequenceRecorder::OnReceived(const std::string& bytes) {
    if (!recording_ || !listening_ || steps_.empty()) {
        return;
    }
    steps_.back().reply += bytes;
    silence_.start();
}

std::string SequenceRecorder::TextIn(DisplayMode mode, const QString& settings) const {
    std::string text = "name = " + Quoted(QString::fromLatin1(kName)) + "\nnotation = \"" +
                       std::string(DisplayModeText(mode)) + "\"\n";
    if (!settings.isEmpty()) {
        text += "settings = " + Quoted(settings) + "\n";
    }
    text += "timeout_ms = " + std::to_string(kTimeoutMs) + "\non_failure = \"continue\"\n";
    for (const RecordedStep& step : steps_) {
        text += "\n[[step]]\nname = " + Quoted(step.name) +
                "\nsend = " + Quoted(WrittenBytes(step.sent, mode)) + "\n";
        if (!step.reply.empty()) {
            text += "expect = " + Quoted(WrittenBytes(step.reply, mode)) + "\n";
        }
    }
    return text;
}

std::string SequenceRecorder::FileText(DisplayMode mode, const QString& settings) const {
    // The program's own reader checks the text: a string that does not come back as the
    // bytes recorded (a caret written as it is, say) makes the file Hex, which always does.
    const std::string text = TextIn(mode, settings);
    const SequenceLoad load = ParseSequence(text, QString());
    bool same = load.sequence && load.sequence->steps.size() == steps_.size();
    for (std::size_t i = 0; same && i < steps_.size(); ++i) {
        same = load.sequence->steps[i].send == steps_[i].sent &&
               load.sequence->steps[i].expect.bytes == steps_[i].reply;
    }
    return same || mode == DisplayMode::Hex ? text : TextIn(DisplayMode::Hex, settings);
}

std::optional<QString> SequenceRecorder::Save(const QString& path) const {
    if (std::optional<QString> refusal =
            traffic_.SaveRefusal(path, capture_text::kSavedRecording)) {
        return refusal;
    }
    const QString settings = traffic_.Session().Port().Settings();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !WriteFully(file, FileText(state_.MainDisplayMode(), settings)) || !file.commit()) {
        return QString::fromLatin1(kMsgUnwritable)
            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return std::nullopt;
}

}  // namespace kestrum
