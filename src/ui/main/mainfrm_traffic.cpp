// Sending, receiving, the display mode and the toolbar and menu commands of the monitor.

#include <QAction>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <new>
#include <stdexcept>

#include "notation/received_formatter.h"
#include "platform/prompts.h"
#include "session/app_state.h"
#include "session/display_hold.h"
#include "session/remembered_folder.h"
#include "session/send_line_end.h"
#include "storage/settings_store.h"
#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/main/toolbar_buttons.h"
#include "ui/monitor/data_monitor.h"
#include "ui/monitor/monitor_constants.h"
#include "ui/widgets/drop_down_list.h"
#include "ui/widgets/latin1.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {

using namespace main_ui;

void Mainfrm::Combo2_Click() {
    const std::int16_t from = state_.MainMode;
    if (const auto mode = DisplayModeFromText(combo2_->Text().toStdString())) {
        state_.MainMode = static_cast<std::int16_t>(*mode);
    }
    if (state_.MainMode == from) {
        return;
    }
    settings_.SaveSetting(settings::kFiletypeMainWindow, combo2_->Text());
    if (from < 1 || from > 3) {
        // Start-up: nothing has been typed or shown yet in any notation.
        return;
    }
    const auto source = static_cast<DisplayMode>(from);
    const auto target = static_cast<DisplayMode>(state_.MainMode);
    sendBox_->setText(FromBytes(ChangeMode(ToBytes(sendBox_->text()), source, target, false)));
    ReloadMonitor({ModeConversion{source, target}});
}

void Mainfrm::ReloadMonitor(std::initializer_list<ModeConversion> steps) {
    // Text kept aside is in the old notation: it joins the monitor before the rewrite.
    hold_->Flush();
    monitor_->ReloadMonitor(std::span<const ModeConversion>(steps.begin(), steps.size()),
                            state_.ProcessCrLfOn());
}

void Mainfrm::SendButton_Click() {
    SendFromBox(TrafficSource::SendString);
}

void Mainfrm::SendFromBox(TrafficSource source) {
    if (traffic_->RefuseUserSend()) {
        return;
    }
    const QString text = sendBox_->text();
    if (text.isEmpty()) {
        prompts_.Message(QString::fromLatin1(kMsgNoData));
        return;
    }
    if (!IsLatin1(text)) {
        prompts_.Message(QString::fromLatin1(kNotLatin1Message));
        return;
    }
    const DisplayMode mode = state_.MainDisplayMode();
    traffic_->SendText(SendLineEnd::Appended(ToBytes(text), lineEnd_->Of(port_.CommPort()), mode),
                       mode, source);
}

void Mainfrm::ShowSent(const SentTraffic& sent) {
    // The text file sender holds the lamp by lines, and its echo does not move the view.
    const bool typed = sent.source != TrafficSource::TextFile;
    if (typed) {
        // What the user just sent is what they look for next.
        monitor_->FollowEnd();
    }
    if (!sent.echo.empty() && !hold_->Keep(sent.echo, true, sent.bytes.size())) {
        monitor_->AppendText(sent.echo, TransmitColour);
    }
    if (typed) {
        monitor_->LightTransmitLamp();
    }
    if (sent.source == TrafficSource::SendString || sent.source == TrafficSource::CommandButton) {
        // Kept as typed: the line end is the port's, not the string's.
        sendHistory_.Add(
            {SendLineEnd::WithoutLineEnd(sent.text, lineEnd_->Of(port_.CommPort()), sent.mode),
             sent.mode});
    }
}

bool Mainfrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sendBox_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) &&
            key->modifiers() == Qt::NoModifier) {
            StepSendHistory(key->key() == Qt::Key_Up);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Mainfrm::StepSendHistory(bool older) {
    const DisplayMode mode = state_.MainDisplayMode();
    const std::optional<SendHistory::Entry> entry =
        older ? sendHistory_.Older({ToBytes(sendBox_->text()), mode}) : sendHistory_.Newer();
    if (!entry) {
        return;
    }
    // A string sent before a notation switch comes back in the notation in force.
    sendBox_->setText(FromBytes(
        entry->mode == mode ? entry->text : ChangeMode(entry->text, entry->mode, mode, false)));
    sendBox_->end(false);
}

void Mainfrm::ShowReceived(const std::string& bytes) {
    monitor_->LightReceiveLamp();
    std::string text = FormatReceived(bytes, state_.MainDisplayMode(), state_.ProcessCrLfOn());
    if (!hold_->Keep(text, false, bytes.size())) {
        monitor_->AppendText(text, ReceiveColour);
    }
}

void Mainfrm::CheckButton_Click() {
    state_.ChecksumString = ToBytes(sendBox_->text());
    if (state_.ChecksumString.empty()) {
        prompts_.Message(QString::fromLatin1(kMsgNoChecksumString));
        return;
    }
    if (const auto mode = DisplayModeFromText(combo2_->Text().toStdString())) {
        state_.ChecksumMode = static_cast<std::int16_t>(*mode);
    }
    state_.ChecksumRow = 0;
    emit ChecksumRequested();
}

void Mainfrm::Toolbar1_ButtonClick(const QString& key) {
    if (key == "Open") {
        OpenCommandSet();
    } else if (key == "Save") {
        Savemenu_Click();
    } else if (key == "Print") {
        Printmenu_Click();
    } else if (key == "Clear") {
        Clearmenu_Click();
    } else if (key == "Send") {
        SendButton_Click();
    } else if (key == "Edit") {
        emit EditRequested();
    } else if (key == "SendText") {
        emit SendTextRequested();
    } else if (key == "SetCom") {
        session_->WarnIfBadPort();
        // Even then the dialog opens, limited to the device box: choosing the device is the
        // only way to make a port number that names no device usable again.
        emit SetComRequested();
    } else if (key == "ClosePort") {
        ConnectDisconnect(ToolbarButton(key)->isChecked());
    } else if (key == "ProcessCrLf") {
        ProcessCrLfSwitch(ToolbarButton(key)->isChecked());
    }
}

void Mainfrm::ProcessCrLfSwitch(bool pressed) {
    state_.ProcessCrLf = pressed ? 1 : 0;
    ShowProcessCrLfState();
    settings_.SaveSetting(settings::kProcessCrLf, settings::FlagText(pressed));
    if (state_.MainMode == static_cast<std::int16_t>(DisplayMode::Ascii)) {
        ReloadMonitor({ModeConversion{DisplayMode::Ascii, DisplayMode::Hex},
                       ModeConversion{DisplayMode::Hex, DisplayMode::Ascii}});
    }
}

void Mainfrm::ShowProcessCrLfState() {
    QAction* button = ToolbarButton(QStringLiteral("ProcessCrLf"));
    if (state_.ProcessCrLf == 1) {
        button->setChecked(true);
        button->setText(QString::fromLatin1(kCaptionShowCrLf));
        button->setIcon(ToolbarImage(kImageProcessPressed));
        button->setToolTip(QString::fromLatin1(kTipProcessPressed));
    } else if (state_.ProcessCrLf == 0) {
        button->setChecked(false);
        button->setText(QString::fromLatin1(kCaptionProcessCrLf));
        button->setIcon(ToolbarImage(kImageProcessReleased));
        button->setToolTip(QString::fromLatin1(kTipProcessReleased));
    }
    // Any other stored value leaves the button as designed.
}

void Mainfrm::Openmenu_Click() {
    OpenCommandSet();
}

void Mainfrm::Savemenu_Click() {
    const SaveDataResult result = monitor_->SaveData(
        prompts_,
        state_.DataFileName.isEmpty()
            ? RememberedFolder(settings_, settings::kSaveDataFolder, state_.DialogFolder)
            : state_.DataFileName,
        [this](const QString& path) {
            return traffic_->SaveRefusal(path, capture_text::kSavedMonitor);
        });
    if (result.status == SaveStatus::Saved) {
        state_.DataFileName = result.path;
        RememberFolderOf(settings_, settings::kSaveDataFolder, result.path);
    } else if (result.status == SaveStatus::Refused) {
        prompts_.Message(result.errorText);
    } else if (result.status == SaveStatus::Failed) {
        // The earlier file is intact; say so rather than fail quietly.
        prompts_.Message(QString::fromLatin1(kMsgSaveFailed) + QStringLiteral(" ") + result.path +
                         QStringLiteral(": ") + result.errorText);
    }
}

void Mainfrm::Printmenu_Click() {
    monitor_->PrintData(prompts_, PrintHeading());
}

QString Mainfrm::PrintHeading() const {
    // What a printout needs to be told apart from another: where and when it was taken.
    return QStringLiteral("Kestrum - Com Port %1 (%2) %3 - %4")
        .arg(port_.CommPort())
        .arg(session_->Device(port_.CommPort()), port_.Settings(),
             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

void Mainfrm::Clearmenu_Click() {
    hold_->Discard();
    monitor_->Clear();
    session_->Counters().Clear();
}

void Mainfrm::Aboutmenu_Click() {
    emit AboutRequested();
}

}  // namespace kestrum
