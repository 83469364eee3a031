#include "ui/main/tool_windows.h"

#include "session/app_state.h"
#include "ui/editor/editfrm.h"
#include "ui/main/mainfrm.h"
#include "ui/tools/aboutfrm.h"
#include "ui/tools/checkfrm.h"
#include "ui/tools/comfrm.h"
#include "ui/tools/sendfrm.h"
#include "ui/tools/seqfrm.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {

namespace {

// Tool windows are top-level windows owned by the main window, so they close with it.
template <typename Window, typename... Args>
Window* ShowOrRaise(QPointer<Window>& window, Mainfrm& main, Args&&... args) {
    if (window == nullptr) {
        window = new Window(std::forward<Args>(args)..., &main);
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace

ToolWindows::ToolWindows(Mainfrm& main) : QObject(&main), main_(main) {
    connect(&main_, &Mainfrm::AboutRequested, this, &ToolWindows::ShowAbout);
    connect(&main_, &Mainfrm::EditRequested, this, &ToolWindows::ShowEditor);
    connect(&main_, &Mainfrm::ChecksumRequested, this, &ToolWindows::ShowChecksum);
    connect(&main_, &Mainfrm::SendTextRequested, this, &ToolWindows::ShowSendText);
    connect(&main_, &Mainfrm::SetComRequested, this, &ToolWindows::ShowPortSettings);
    connect(&main_, &Mainfrm::SequenceRequested, this, &ToolWindows::ShowSequence);
    // Unsaved command set edits are asked about before the program ends.
    main_.SetCloseGuard([self = QPointer<ToolWindows>(this)] {
        return self == nullptr || self->editor_ == nullptr || self->editor_->ConfirmClose();
    });
}

void ToolWindows::ShowAbout() {
    ShowOrRaise(about_, main_, main_.State().VersionText);
}

void ToolWindows::ShowEditor() {
    const bool opening = editor_ == nullptr;
    Editfrm* editor = ShowOrRaise(editor_, main_, main_.Tools());
    if (opening) {
        connect(editor, &Editfrm::ChecksumRequested, this, &ToolWindows::ShowChecksum);
    }
}

void ToolWindows::ShowChecksum() {
    // The field the string goes back to: the String to Send box (row 0) or the row of the
    // editor that asked. None when that editor is already gone.
    const int row = main_.State().ChecksumRow;
    QLineEdit* returnField = nullptr;
    if (row == 0) {
        returnField = &main_.SendBox();
    } else if (editor_ != nullptr && row >= 1 && row <= static_cast<int>(kCommandCount)) {
        returnField = &editor_->StringText(row);
    }
    Checkfrm* checksum =
        ShowOrRaise(checksum_, main_, main_.State(), main_.Settings(), main_.Dialogs());
    checksum->HandOver(returnField);
}

void ToolWindows::ShowSendText() {
    ShowOrRaise(sendText_, main_, main_.Tools());
}

void ToolWindows::ShowPortSettings() {
    ShowOrRaise(portSettings_, main_, main_.Tools());
}

Seqfrm* ToolWindows::SequenceWindow() const {
    return sequence_;
}

void ToolWindows::ShowSequence() {
    if (sequence_ == nullptr) {
        // Hidden when closed, not deleted: it opens again where the user left it.
        sequence_ = new Seqfrm(main_.Tools(), main_.Sequences(), &main_);
        sequence_->setWindowFlag(Qt::Window);
    } else {
        sequence_->ShowSequence();
    }
    sequence_->show();
    sequence_->raise();
    sequence_->activateWindow();
}

}  // namespace kestrum
