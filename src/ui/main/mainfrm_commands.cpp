// The command button bank and the command set file: paging, sending a command, opening a
// set and the start-up load.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/prompts.h"
#include "session/app_state.h"
#include "session/sequence/sequence_recorder.h"
#include "storage/command_set_file.h"
#include "storage/regular_file.h"
#include "storage/settings_store.h"
#include "ui/main/command_button.h"
#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/notation_field.h"
#include "ui/widgets/paging.h"

namespace kestrum {

using namespace main_ui;

namespace {

inline constexpr auto kCommandSetFilter = "All Files (*.*)|*.*|Command Files (*.cmd)|*.cmd";
inline constexpr int kCommandSetFilterIndex = 2;

}  // namespace

void Mainfrm::Command_Click(int index) {
    if (traffic_->RefuseUserSend()) {
        return;
    }
    const std::string& stored = state_.CommandStrings.at(static_cast<std::size_t>(index));
    const DisplayMode mode = state_.MainDisplayMode();
    const std::string text =
        mode == DisplayMode::Hex ? stored : ChangeMode(stored, DisplayMode::Hex, mode);
    sendBox_->setText(FromBytes(text));
    recorder_->NameNextSend(CommandLabel(index));
    SendFromBox(TrafficSource::CommandButton);
}

void Mainfrm::TurnCommandPage(bool forward) {
    const auto turn = TurnPage([this](int first) { return !Command(first).isHidden(); }, forward);
    if (!turn) {
        return;
    }
    // The new page is shown before the old one is hidden, button by button.
    for (int i = 0; i < kRowsPerPage; ++i) {
        Command(turn->show + i).setVisible(true);
    }
    for (int i = 0; i < kRowsPerPage; ++i) {
        Command(turn->hide + i).setVisible(false);
    }
    label10_->setText(
        QStringLiteral("Commands %1-%2").arg(turn->show).arg(turn->show + kRowsPerPage - 1));
}

void Mainfrm::UpDown1_DownClick() {
    TurnCommandPage(true);
}

void Mainfrm::UpDown1_UpClick() {
    TurnCommandPage(false);
}

QString Mainfrm::CommandLabel(int index) const {
    return command_.at(static_cast<std::size_t>(index - 1))->text();
}

void Mainfrm::ShowCommandFileName(const QString& fileName) {
    comSetLabel_->setText(fileName);
}

void Mainfrm::ApplyCommandSet(const CommandSet& set) {
    for (int i = 1; i <= static_cast<int>(kCommandCount); ++i) {
        const CommandEntry& entry = set[static_cast<std::size_t>(i - 1)];
        Command(i).setText(FromBytes(entry.label));
        Command(i).setToolTip(CommandToolTip(Command(i).text(), entry.command));
        state_.CommandStrings[static_cast<std::size_t>(i)] = entry.command;
    }
}

void Mainfrm::OpenCommandSet() {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kCommandSetFilter);
    request.filterIndex = kCommandSetFilterIndex;
    request.directory = state_.CommandDirectory;
    const std::optional<QString> chosen = prompts_.OpenFile(request);
    if (chosen) {
        LoadCommandSetFile(*chosen);
    }
}

void Mainfrm::LoadCommandSetFile(const QString& path) {
    state_.CommandFileName = path;
    state_.CommandDirectory = path;
    comSetLabel_->setText(state_.CommandFileName);
    QString reason;
    const std::optional<CommandSet> set = ReadCommandSet(state_.CommandFileName, &reason);
    if (!set) {
        // A file that cannot be read keeps the previous entries and writes no setting.
        if (reason == QLatin1String(kNotRegularFileReason)) {
            prompts_.Message(NotRegularFileMessage(state_.CommandFileName));
        }
        return;
    }
    ApplyCommandSet(*set);
    settings_.SaveSetting(settings::kCommandFileName, state_.CommandFileName);
    settings_.SaveSetting(settings::KeyName(settings::kDirectoryKey), state_.CommandDirectory);
}

void Mainfrm::StartupLoadCommandSet() {
    const FileCheck check = CheckRegularFile(state_.CommandFileName);
    if (!check.Ok()) {
        // A missing default set is the ordinary first start; a pipe or device named by the
        // setting is not opened, and the user is told why the buttons are empty.
        if (check.status == FileStatus::NotRegular) {
            prompts_.Message(NotRegularFileMessage(state_.CommandFileName));
        }
        return;
    }
    comSetLabel_->setText(state_.CommandFileName);
    for (int i = 11; i <= static_cast<int>(kCommandCount); ++i) {
        Command(i).setVisible(false);
    }
    if (const std::optional<CommandSet> set = ReadCommandSet(state_.CommandFileName)) {
        ApplyCommandSet(*set);
    }
}

}  // namespace kestrum
