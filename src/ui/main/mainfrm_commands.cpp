// The command button bank and the command set file: paging, sending a command, opening a
// set and the start-up load.

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/prompts.h"
#include "session/app_state.h"
#include "storage/command_set_file.h"
#include "storage/settings_store.h"
#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {

using namespace main_ui;

namespace {

inline constexpr auto kCommandSetFilter = "All Files (*.*)|*.*|Command Files (*.cmd)|*.cmd";
inline constexpr int kCommandSetFilterIndex = 2;

}  // namespace

void Mainfrm::Command_Click(int index) {
    if (session_->RefuseUse()) {
        return;
    }
    const std::string& stored = state_.CommandStrings.at(static_cast<std::size_t>(index));
    const DisplayMode mode = state_.MainDisplayMode();
    const std::string text =
        mode == DisplayMode::Hex ? stored : ChangeMode(stored, DisplayMode::Hex, mode);
    sendBox_->setText(FromBytes(text));
    SendButton_Click();
}

void Mainfrm::ShowPage(int firstShown, int firstHidden, const QString& caption) {
    // The new page is shown before the old one is hidden, button by button.
    for (int i = 0; i < 10; ++i) {
        Command(firstShown + i).setVisible(true);
    }
    for (int i = 0; i < 10; ++i) {
        Command(firstHidden + i).setVisible(false);
    }
    label10_->setText(caption);
}

void Mainfrm::UpDown1_DownClick() {
    if (!Command(1).isHidden()) {
        ShowPage(11, 1, QStringLiteral("Commands 11-20"));
    } else if (!Command(11).isHidden()) {
        ShowPage(21, 11, QStringLiteral("Commands 21-30"));
    } else if (!Command(21).isHidden()) {
        ShowPage(31, 21, QStringLiteral("Commands 31-40"));
    }
}

void Mainfrm::UpDown1_UpClick() {
    if (!Command(31).isHidden()) {
        ShowPage(21, 31, QStringLiteral("Commands 21-30"));
    } else if (!Command(21).isHidden()) {
        ShowPage(11, 21, QStringLiteral("Commands 11-20"));
    } else if (!Command(11).isHidden()) {
        ShowPage(1, 11, QStringLiteral("Commands 1-10"));
    }
}

QString Mainfrm::CommandLabel(int index) const {
    return command_.at(static_cast<std::size_t>(index - 1))->text();
}

void Mainfrm::ShowCommandFileName(const QString& fileName) {
    comSetLabel_->setText(fileName);
}

void Mainfrm::ApplyCommandSet(const CommandSet& set) {
    for (int i = 1; i <= 40; ++i) {
        const CommandEntry& entry = set[static_cast<std::size_t>(i - 1)];
        Command(i).setText(FromBytes(entry.label));
        state_.CommandStrings[static_cast<std::size_t>(i)] = entry.command;
    }
}

void Mainfrm::OpenCommandSet() {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kCommandSetFilter);
    request.filterIndex = kCommandSetFilterIndex;
    request.directory = state_.CommandDirectory;
    const std::optional<QString> chosen = prompts_.OpenFile(request);
    if (!chosen) {
        return;
    }
    state_.CommandFileName = *chosen;
    state_.CommandDirectory = *chosen;
    comSetLabel_->setText(state_.CommandFileName);
    const std::optional<CommandSet> set = ReadCommandSet(state_.CommandFileName);
    if (!set) {
        // A file that cannot be read keeps the previous entries and writes no setting.
        return;
    }
    ApplyCommandSet(*set);
    settings_.SaveSetting(settings::kCommandFileName, state_.CommandFileName);
    settings_.SaveSetting(settings::KeyName(settings::kDirectoryKey), state_.CommandDirectory);
}

void Mainfrm::StartupLoadCommandSet() {
    if (!QFileInfo(state_.CommandFileName).isFile()) {
        return;
    }
    comSetLabel_->setText(state_.CommandFileName);
    for (int i = 11; i <= 40; ++i) {
        Command(i).setVisible(false);
    }
    if (const std::optional<CommandSet> set = ReadCommandSet(state_.CommandFileName)) {
        ApplyCommandSet(*set);
    }
}

}  // namespace kestrum
