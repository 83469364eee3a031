// Capture to file and Find in the Data Monitor, as the main window's menus start them.

#include <QAction>
#include <QFileInfo>

#include "platform/prompts.h"
#include "session/app_state.h"
#include "session/capture.h"
#include "session/remembered_folder.h"
#include "storage/settings_keys.h"
#include "storage/settings_store.h"
#include "ui/main/find_bar.h"
#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/main/status_line.h"

namespace kestrum {

using namespace main_ui;

void Mainfrm::StartCapturemenu_Click() {
    Capture& capture = TrafficCapture();
    FileDialogRequest request;
    request.filter = QString::fromLatin1(capture_text::kDialogFilter);
    request.filterIndex = capture_text::kDialogFilterIndex;
    request.directory =
        capture.Path().isEmpty()
            ? RememberedFolder(settings_, settings::kCaptureFolder, state_.DialogFolder)
            : QFileInfo(capture.Path()).path();
    const std::optional<QString> path = prompts_.SaveFile(request);
    if (!path) {
        return;
    }
    // Refused before anything is stopped or opened: the running capture goes on.
    if (const std::optional<QString> refusal =
            CaptureRefusal(*path, settings_.GetSetting(settings::kTextFile), state_.CommandFileName,
                           settings_.FileName())) {
        prompts_.Message(*refusal);
        return;
    }
    const std::optional<QString> failure = capture.Start(*path, CaptureFormForPath(*path));
    ShowCaptureState();
    if (failure) {
        prompts_.Message(*failure);
    } else {
        RememberFolderOf(settings_, settings::kCaptureFolder, *path);
    }
}

void Mainfrm::StopCapturemenu_Click() {
    TrafficCapture().Stop();
    ShowCaptureState();
}

void Mainfrm::ShowCaptureState() {
    const Capture& capture = TrafficCapture();
    const bool running = capture.Running();
    statusLine_->SetExtraState(
        running ? QString::fromLatin1(kCaptureState).arg(QFileInfo(capture.Path()).fileName())
                : QString());
    if (QAction* stop = MenuEntry(QStringLiteral("StopCapturemenu"))) {
        stop->setEnabled(running);
    }
}

FindBar& Mainfrm::Finder() {
    if (findBar_ == nullptr) {
        findBar_ = new FindBar(*monitor_, this);
    }
    return *findBar_;
}

void Mainfrm::Findmenu_Click() {
    Finder().Open();
}

void Mainfrm::FindNextmenu_Click() {
    Finder().FindNext();
}

void Mainfrm::FindPreviousmenu_Click() {
    Finder().FindPrevious();
}

}  // namespace kestrum
