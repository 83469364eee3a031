#pragma once
// The message the port selection shows for each kind of port failure, for the tool windows
// that open the port themselves.

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

}  // namespace kestrum
