#pragma once
// The main window's Sequence menu: Run Sequence..., Stop Sequence, Record Sequence,
// Save Recording... and Auto Replies.... The work is the session's (SequenceSession,
// SequenceRecorder); the menu asks for files through Prompts and shows the states.

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

namespace kestrum {

class Prompts;
class SequenceRecorder;
class SequenceSession;

namespace sequence_ui {
inline constexpr auto kOpenFilter =
    "Sequence Files (*.ksq;*.toml)|*.ksq;*.toml|All Files (*.*)|*.*";
inline constexpr auto kSaveFilter = "Sequence Files (*.ksq)|*.ksq|All Files (*.*)|*.*";
inline constexpr auto kTipRecord =
    "Every send from this window becomes a step; what arrives after it, its expected reply";
inline constexpr auto kTipAutoReplies =
    "Answers received bytes with the [[reply]] rules of a sequence file while you work";
inline constexpr auto kMsgNothingRecorded = "Warning: Nothing has been recorded yet";
}  // namespace sequence_ui

class SequenceMenu final : public QObject {
    Q_OBJECT
public:
    // Adds the menu to `bar` before `before` (the Help menu's action; null: at the end).
    SequenceMenu(QMenuBar& bar, QAction* before, SequenceSession& sequences,
                 SequenceRecorder& recorder, Prompts& prompts);

    QAction& RunSequence() { return *run_; }
    QAction& StopSequence() { return *stop_; }
    QAction& RecordSequence() { return *record_; }
    QAction& SaveRecording() { return *saveRecording_; }
    QAction& AutoReplies() { return *autoReplies_; }

    // Handlers.
    void RunSequence_Click();
    void RecordSequence_Toggle(bool on);
    void SaveRecording_Click();
    void AutoReplies_Toggle(bool on);

signals:
    // A sequence was loaded: the sequence window shows it.
    void SequenceLoaded();

private:
    void Update();

    SequenceSession& sequences_;
    SequenceRecorder& recorder_;
    Prompts& prompts_;
    QMenu* menu_ = nullptr;
    QAction* run_ = nullptr;
    QAction* stop_ = nullptr;
    QAction* record_ = nullptr;
    QAction* saveRecording_ = nullptr;
    QAction* autoReplies_ = nullptr;
};

}  // namespace kestrum
