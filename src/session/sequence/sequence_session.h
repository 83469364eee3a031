#pragma once
// Sequences in the window: the loaded sequence and its run on the window's own port, the
// auto replies that answer like a device while the user works. Both go through the window's
// traffic path, so the Data Monitor, the counters and a capture see them as the user's sends.

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "session/sequence/sequence_drive.h"

namespace kestrum {

namespace sequence_session_text {

inline constexpr auto kRunning = "Sequence: step %1 of %2";
inline constexpr auto kWaiting = "Sequence: waiting for the port";
inline constexpr auto kSendsRefused = "Sequence running: your sends are refused until it ends";
inline constexpr auto kAutoReplies = "Auto replies: %1 rules";
inline constexpr auto kAutoRepliesSent = "Auto replies: %1 rules, %2 sent";
inline constexpr auto kMsgDeviceGone =
    "Warning: The device is gone: the sequence runs again once the port is open";
inline constexpr auto kMsgFileSending =
    "Warning: A text file is being sent: run the sequence once it has ended";
inline constexpr auto kMsgNoReplies = "Warning: %1 holds no [[reply]] rules";

}  // namespace sequence_session_text

class SequenceSession final : public QObject {
    Q_OBJECT
public:
    explicit SequenceSession(TrafficPath& traffic, QObject* parent = nullptr);
    ~SequenceSession() override;

    // --- The sequence run
    // Reads the file; the first error (with its line and column) when it has any, and then
    // the sequence loaded before stays.
    std::optional<QString> Load(const QString& path);
    std::shared_ptr<const Sequence> Loaded() const { return sequence_; }
    // Runs the loaded sequence (again). While the port is being reconnected the run waits for
    // it; when the port is refused (the session says why) or gone, nothing starts and the
    // reason is returned when the session has not told it. Nor does it start while a text
    // file is being sent.
    std::optional<QString> Run();
    // The running step errors, the rest are skipped; a waiting run is dropped.
    void Stop();
    bool Running() const;
    bool Waiting() const { return waiting_; }
    // The run in progress or the last one; null before the first.
    const SequenceDrive* LastRun() const { return drive_.get(); }
    // The last run's JUnit report, the same file the command line writes.
    bool SaveReport(const QString& path, QString* error) const;

    // --- Auto replies
    // Loads the file's [[reply]] rules and keeps them answering until StopAutoReplies; the
    // message when the file has errors or no rules.
    std::optional<QString> StartAutoReplies(const QString& path);
    void StopAutoReplies();
    bool AutoRepliesOn() const { return replies_ != nullptr; }
    int AutoReplyRules() const;
    int AutoRepliesSent() const { return repliesSent_; }

    // The status line's words for sequences: the run's progress, the auto replies.
    QString StateText() const;

signals:
    void RunStarted();
    void StepDone(const kestrum::StepVerdict& verdict);
    void RunFinished();
    // A sentence for the status line or a message (a reply loop).
    void Notice(const QString& text);
    void StateChanged();

private:
    void StartNow();
    void OnPortState();
    void OnUserSendRefused();
    void OnNotice(const QString& text);

    TrafficPath& traffic_;
    std::shared_ptr<const Sequence> sequence_;
    std::unique_ptr<SequenceDrive> drive_;
    std::unique_ptr<SequenceDrive> replies_;
    int repliesSent_ = 0;
    bool waiting_ = false;
    bool refusalTold_ = false;  // the refused send note is said once a run
    QString notice_;            // the last sentence said (a reply loop), until the next start
};

}  // namespace kestrum
