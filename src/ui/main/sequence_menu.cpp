#include "ui/main/sequence_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/prompts.h"
#include "session/sequence/sequence_recorder.h"
#include "session/sequence/sequence_session.h"

namespace kestrum {

using namespace sequence_ui;

namespace {

QAction* AddItem(QMenu& menu, const char* caption, const char* name, bool checkable) {
    QAction* action = menu.addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    return action;
}

}  // namespace

SequenceMenu::SequenceMenu(QMenuBar& bar, QAction* before, SequenceSession& sequences,
                           SequenceRecorder& recorder, Prompts& prompts)
    : QObject(&bar), sequences_(sequences), recorder_(recorder), prompts_(prompts) {
    menu_ = new QMenu(QStringLiteral("&Sequence"), &bar);
    menu_->setObjectName(QStringLiteral("Sequencemenu"));
    menu_->setToolTipsVisible(true);
    bar.insertMenu(before, menu_);
    run_ = AddItem(*menu_, "Run Sequence...", "RunSequencemenu", false);
    stop_ = AddItem(*menu_, "Stop Sequence", "StopSequencemenu", false);
    menu_->addSeparator();
    record_ = AddItem(*menu_, "Record Sequence", "RecordSequencemenu", true);
    record_->setToolTip(QString::fromLatin1(kTipRecord));
    saveRecording_ = AddItem(*menu_, "Save Recording...", "SaveRecordingmenu", false);
    menu_->addSeparator();
    autoReplies_ = AddItem(*menu_, "Auto Replies...", "AutoRepliesmenu", true);
    autoReplies_->setToolTip(QString::fromLatin1(kTipAutoReplies));

    connect(run_, &QAction::triggered, this, &SequenceMenu::RunSequence_Click);
    connect(stop_, &QAction::triggered, &sequences_, &SequenceSession::Stop);
    // Triggered, not toggled: a check the program puts back is no new request.
    connect(record_, &QAction::triggered, this, &SequenceMenu::RecordSequence_Toggle);
    connect(saveRecording_, &QAction::triggered, this, &SequenceMenu::SaveRecording_Click);
    connect(autoReplies_, &QAction::triggered, this, &SequenceMenu::AutoReplies_Toggle);
    connect(&sequences_, &SequenceSession::StateChanged, this, &SequenceMenu::Update);
    connect(&recorder_, &SequenceRecorder::Changed, this, &SequenceMenu::Update);
    Update();
}

void SequenceMenu::Update() {
    stop_->setEnabled(sequences_.Running());
    run_->setEnabled(!sequences_.Running());
    record_->setChecked(recorder_.Recording());
    saveRecording_->setEnabled(!recorder_.Steps().empty());
    autoReplies_->setChecked(sequences_.AutoRepliesOn());
}

void SequenceMenu::RunSequence_Click() {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kOpenFilter);
    if (const auto loaded = sequences_.Loaded()) {
        request.directory = loaded->path;
    }
    const std::optional<QString> path = prompts_.OpenFile(request);
    if (!path) {
        return;
    }
    if (const std::optional<QString> error = sequences_.Load(*path)) {
        prompts_.Message(*error);
        return;
    }
    emit SequenceLoaded();
}

void SequenceMenu::RecordSequence_Toggle(bool on) {
    on ? recorder_.Start() : recorder_.Stop();
}

void SequenceMenu::SaveRecording_Click() {
    if (recorder_.Steps().empty()) {
        prompts_.Message(QString::fromLatin1(kMsgNothingRecorded));
        return;
    }
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kSaveFilter);
    const std::optional<QString> path = prompts_.SaveFile(request);
    if (!path) {
        return;
    }
    if (const std::optional<QString> error = recorder_.Save(*path)) {
        prompts_.Message(*error);
    }
}

void SequenceMenu::AutoReplies_Toggle(bool on) {
    if (!on) {
        sequences_.StopAutoReplies();
        return;
    }
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kOpenFilter);
    const std::optional<QString> path = prompts_.OpenFile(request);
    if (path) {
        if (const std::optional<QString> error = sequences_.StartAutoReplies(*path)) {
            prompts_.Message(*error);
        }
    }
    Update();
}

}  // namespace kestrum
