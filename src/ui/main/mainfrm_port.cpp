// Port selection and connection: the port number, baud rate and format boxes and the
// toolbar's Connect/Disconnect button.

#include <QAction>
#include <QScopedValueRollback>

#include "platform/prompts.h"
#include "storage/settings_store.h"
#include "ui/main/app_state.h"
#include "ui/main/drop_down_list.h"
#include "ui/main/main_constants.h"
#include "ui/main/mainfrm.h"
#include "ui/main/port_warning.h"
#include "ui/main/toolbar_buttons.h"

namespace kestrum {

using namespace main_ui;

namespace {

// "9600,n,8,1": the baud part is everything before the first comma, the format the last
// five characters.
QString BaudPart(const QString& settings) {
    return settings.left(settings.indexOf(','));
}
QString FormatPart(const QString& settings) {
    return settings.right(5);
}

bool IsRefusedSettings(PortErrorKind kind) {
    return kind == PortErrorKind::SettingsNotApplied || kind == PortErrorKind::BaudRateNotSupported;
}

}  // namespace

void Mainfrm::Combo1_Click() {
    state_.BadPort = 0;
    const QString number = combo1_->Text();
    settings_.SaveSetting(settings::kCommPort, number);
    try {
        if (port_.PortOpen()) {
            port_.SetPortOpen(false);
        }
        port_.SetCommPort(number.toShort());
        const int portNumber = number.toInt();
        if (portNumber >= 1 && portNumber <= 4) {
            port_.SetSettings(settings_.GetSetting(settings::PortLineSettingsKey(portNumber)));
        }
        const QString current = port_.Settings();
        try {
            state_.SkipComboClick = 1;
            combo3_->SetText(BaudPart(current));
        } catch (const ListTextNotFound&) {
            // A stored baud rate outside the list leaves the box as it is; the port still
            // runs at the stored rate.
        }
        ShowFormatWithoutApplying(FormatPart(current));
        if (state_.UserDisconnected != 1 && !port_.PortOpen()) {
            port_.SetPortOpen(true);
        }
        port_.SetRThreshold(1);
    } catch (const PortError& error) {
        if (error.kind() == PortErrorKind::InvalidPortNumber) {
            prompts_.Message(QString::fromLatin1(kMsgInvalidPort));
            state_.BadPort = 1;
            return;
        }
        if (error.kind() == PortErrorKind::PortInUse || IsRefusedSettings(error.kind())) {
            prompts_.Message(QString::fromLatin1(
                error.kind() == PortErrorKind::PortInUse ? kMsgPortInUse : kMsgBaudNotSupported));
            // The baud box's handler re-applies both boxes, so the format box must show the
            // port's format first; at start-up it is still blank, and "9600," would be refused.
            ShowFormatWithoutApplying(FormatPart(port_.Settings()));
            state_.SkipComboClick = 0;
            try {
                combo3_->SetText(BaudPart(port_.Settings()));
            } catch (const ListTextNotFound&) {
                // Nothing to put back: the box keeps what it shows.
            }
            return;
        }
        // Anything else: the port stays closed, and the user is told why rather than left
        // guessing.
        ShowPortWarning(error);
    }
}

void Mainfrm::ShowFormatWithoutApplying(const QString& format) {
    state_.SkipComboClick = 1;
    if (combo4_->findText(format, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        combo4_->addItem(format);
    }
    combo4_->SetText(format);
}

void Mainfrm::Combo3_Click() {
    ApplySettingsFromBoxes(*combo3_, false);
}

void Mainfrm::Combo4_Click() {
    ApplySettingsFromBoxes(*combo4_, true);
}

void Mainfrm::ApplySettingsFromBoxes(DropDownList& box, bool isFormat) {
    if (state_.SkipComboClick == 1) {
        state_.SkipComboClick = 0;
        return;
    }
    try {
        port_.SetSettings(combo3_->Text() + "," + combo4_->Text());
    } catch (const PortError& error) {
        if (error.kind() == PortErrorKind::InvalidPortNumber) {
            prompts_.Message(QString::fromLatin1(kMsgInvalidPort));
            combo1_->SetText(QStringLiteral("1"));
            return;
        }
        if (IsRefusedSettings(error.kind())) {
            if (puttingBoxBack_) {
                // The other box does not show what the port runs at (a stored baud rate that
                // is not in the list, say), so putting this one back is refused as well: stop
                // here rather than put it back for ever.
                return;
            }
            prompts_.Message(
                QString::fromLatin1(isFormat ? kMsgFormatNotSupported : kMsgBaudNotSupported));
            // Put the box back to what the port still runs at; its handler saves that.
            const QString current = port_.Settings();
            const QScopedValueRollback puttingBack(puttingBoxBack_, true);
            try {
                box.SetText(isFormat ? FormatPart(current) : BaudPart(current));
            } catch (const ListTextNotFound&) {
                // The port's value is not in the list: the box keeps the refused entry.
            }
            return;
        }
        // Any other failure: skip applying and store what the port accepted.
    }
    const int portNumber = combo1_->Text().toInt();
    if (portNumber >= 1 && portNumber <= 4) {
        settings_.SaveSetting(settings::PortLineSettingsKey(portNumber), port_.Settings());
    }
}

void Mainfrm::Combo3_GotFocus() {
    if (state_.BadPort == 1) {
        prompts_.Message(QString::fromLatin1(kMsgInvalidPort));
    }
}

void Mainfrm::Combo4_GotFocus() {
    Combo3_GotFocus();
}

void Mainfrm::SetConnectFace(bool pressed) {
    QAction* button = ToolbarButton(QStringLiteral("ClosePort"));
    button->setChecked(pressed);
    button->setText(QString::fromLatin1(pressed ? kCaptionConnect : kCaptionDisconnect));
    button->setIcon(ToolbarImage(pressed ? kImageDisconnected : kImageConnected));
    button->setToolTip(QString::fromLatin1(pressed ? kTipOpen : kTipClose));
}

void Mainfrm::ConnectDisconnect(bool pressed) {
    QAction* button = ToolbarButton(QStringLiteral("ClosePort"));
    if (state_.BadPort == 1) {
        button->setChecked(!pressed);
        prompts_.Message(QString::fromLatin1(kMsgInvalidPort));
        return;
    }
    if (pressed) {
        if (port_.PortOpen()) {
            port_.SetPortOpen(false);
        }
        SetConnectFace(true);
        state_.UserDisconnected = 1;
        return;
    }
    if (!port_.PortOpen()) {
        try {
            port_.SetPortOpen(true);
        } catch (const PortError& error) {
            // The port was taken or vanished meanwhile: stay disconnected and say why.
            button->setChecked(true);
            ShowPortWarning(error);
            return;
        }
    }
    SetConnectFace(false);
    state_.UserDisconnected = 0;
}

void Mainfrm::ShowPortWarning(const PortError& error) {
    prompts_.Message(PortWarningText(error));
}

void Mainfrm::OnDeviceLost(const QString& reason) {
    // The port service has closed the port. Everything shown so far stays; the next send
    // opens the port again when the device is back.
    prompts_.Message(QString::fromLatin1(kMsgDeviceLost) +
                     (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
}

}  // namespace kestrum
