#pragma once
// Record Sequence: every send from the main window (Send String, a command button, a
// checksummed string) becomes a step, and what arrives after it, until the next send or a
// second of silence, its expected reply. The bytes are kept as they went and came, so a
// display switch, a Clear or a port change meanwhile changes nothing; the file is written in
// the notation in force when it is saved.

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "notation/byte_notation.h"

namespace kestrum {

struct AppState;
struct SentTraffic;
class TrafficPath;

namespace recorder_text {

inline constexpr auto kName = "Recorded sequence";
inline constexpr auto kStepName = "Step %1";
// A recorded reply is searched for this long when the sequence runs.
inline constexpr int kTimeoutMs = 2000;
// Silence that ends a step's reply.
inline constexpr int kSilenceMs = 1000;
inline constexpr auto kMsgUnwritable = "Error - The sequence %1 could not be written: %2";

}  // namespace recorder_text

struct RecordedStep {
    QString name;
    std::string sent;
    std::string reply;
};

class SequenceRecorder final : public QObject {
    Q_OBJECT
public:
    SequenceRecorder(TrafficPath& traffic, const AppState& state, QObject* parent = nullptr);

    // Starts a new recording; the last one is forgotten.
    void Start();
    void Stop();
    bool Recording() const { return recording_; }
    // The name of the step the next send starts (a command button's label).
    void NameNextSend(const QString& name) { nextName_ = name; }
    const std::vector<RecordedStep>& Steps() const { return steps_; }

    // The sequence file's text, in `mode` when every string can be written in it (else Hex),
    // with the line settings `settings`.
    std::string FileText(DisplayMode mode, const QString& settings) const;
    // Writes FileText in the main window's notation, with the port's line settings, to
    // `path`; the message when it cannot.
    std::optional<QString> Save(const QString& path) const;

signals:
    void Changed();

private:
    void OnSent(const SentTraffic& sent);
    void OnReceived(const std::string& bytes);
    std::string TextIn(DisplayMode mode, const QString& settings) const;

    TrafficPath& traffic_;
    const AppState& state_;
    QTimer silence_;
    std::vector<RecordedStep> steps_;
    QString nextName_;
    bool recording_ = false;
    bool listening_ = false;  // the last step's reply is still coming
};

}  // namespace kestrum
