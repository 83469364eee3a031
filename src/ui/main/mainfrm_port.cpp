// Port selection and connection: the port number, baud rate and format boxes and the
// toolbar's Connect/Disconnect button. The rules are PortSession's; the boxes show them.

#include <QAction>

#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/main/toolbar_buttons.h"
#include "ui/widgets/drop_down_list.h"

namespace kestrum {

using namespace main_ui;

namespace {

// Picks `text` in `box`, running its click handler; false when the box lacks it.
bool Pick(DropDownList& box, const QString& text) {
    try {
        box.SetText(text);
        return true;
    } catch (const ListTextNotFound&) {
        return false;
    }
}

}  // namespace

void Mainfrm::Combo1_Click() {
    session_->SelectPort();
}

void Mainfrm::Combo3_Click() {
    session_->ApplyLineSettings(PortSession::LineBox::Baud);
}

void Mainfrm::Combo4_Click() {
    session_->ApplyLineSettings(PortSession::LineBox::Format);
}

void Mainfrm::Combo3_GotFocus() {
    session_->WarnIfBadPort();
}

void Mainfrm::Combo4_GotFocus() {
    session_->WarnIfBadPort();
}

QString Mainfrm::PortNumberText() const {
    return combo1_->Text();
}

QString Mainfrm::BaudText() const {
    return combo3_->Text();
}

QString Mainfrm::FormatText() const {
    return combo4_->Text();
}

bool Mainfrm::PickPortNumber(const QString& text) {
    return Pick(*combo1_, text);
}

bool Mainfrm::PickBaud(const QString& text) {
    return Pick(*combo3_, text);
}

bool Mainfrm::PickFormat(const QString& text) {
    return Pick(*combo4_, text);
}

bool Mainfrm::HasFormat(const QString& format) const {
    return combo4_->findText(format, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
}

void Mainfrm::AddFormat(const QString& format) {
    combo4_->addItem(format);
}

void Mainfrm::SetConnectFace(bool pressed) {
    QAction* button = ToolbarButton(QStringLiteral("ClosePort"));
    button->setChecked(pressed);
    button->setText(QString::fromLatin1(pressed ? kCaptionConnect : kCaptionDisconnect));
    button->setIcon(ToolbarImage(pressed ? kImageDisconnected : kImageConnected));
    button->setToolTip(QString::fromLatin1(pressed ? kTipOpen : kTipClose));
}

void Mainfrm::ConnectDisconnect(bool pressed) {
    ShowConnectResult(session_->Connect(pressed), pressed);
}

void Mainfrm::ShowConnectResult(PortSession::ConnectResult result, bool pressed) {
    switch (result) {
        case PortSession::ConnectResult::Refused:
            ToolbarButton(QStringLiteral("ClosePort"))->setChecked(!pressed);
            return;
        case PortSession::ConnectResult::Disconnected:
            SetConnectFace(true);
            return;
        case PortSession::ConnectResult::Connected:
        case PortSession::ConnectResult::Pending:  // pressing it again cancels the open
            SetConnectFace(false);
            return;
    }
}

}  // namespace kestrum
