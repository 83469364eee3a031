#pragma once
// The message the port selection shows for each kind of port failure; used by every window
// that opens the port.

#include <QString>

#include "platform/serial_port.h"
#include "ui/main/main_constants.h"

namespace kestrum {

inline QString PortWarningText(PortErrorKind kind) {
    switch (kind) {
        case PortErrorKind::InvalidPortNumber:
            return QString::fromLatin1(main_ui::kMsgInvalidPort);
        case PortErrorKind::PortInUse:
            return QString::fromLatin1(main_ui::kMsgPortInUse);
        case PortErrorKind::BaudRateNotSupported:
        case PortErrorKind::SettingsNotApplied:
            return QString::fromLatin1(main_ui::kMsgBaudNotSupported);
        case PortErrorKind::Other:
            break;
    }
    return QString::fromLatin1(main_ui::kMsgPortOpenFailed);
}

// As above; a failure of no particular kind also says why, since no fixed text covers it.
inline QString PortWarningText(const PortError& error) {
    QString text = PortWarningText(error.kind());
    if (error.kind() == PortErrorKind::Other) {
        text += QStringLiteral(": ") + QString::fromStdString(error.what());
    }
    return text;
}

}  // namespace kestrum
