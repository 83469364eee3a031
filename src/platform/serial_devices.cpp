#include "platform/serial_devices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace kestrum {

QStringList DescribedSerialDevices() {
    QStringList entries;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QStringList extras;
        if (!info.manufacturer().isEmpty()) {
            extras << info.manufacturer();
        }
        if (!info.serialNumber().isEmpty()) {
            extras << QStringLiteral("serial ") + info.serialNumber();
        }
        QString about = info.description();
        if (!extras.isEmpty()) {
            about += (about.isEmpty() ? QStringLiteral("(") : QStringLiteral(" (")) +
                     extras.join(QStringLiteral(", ")) + QStringLiteral(")");
        }
        entries << (about.isEmpty() ? info.systemLocation()
                                    : info.systemLocation() + QStringLiteral("  ") + about);
    }
    // The names that stay with an adapter whichever ttyUSB number it gets.
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        entries << link.absoluteFilePath() + QStringLiteral("  -> ") + link.canonicalFilePath();
    }
    entries.sort();
    entries.removeDuplicates();
    return entries;
}

QString DevicePathOf(const QString& entry) {
    const qsizetype gap = entry.indexOf(QStringLiteral("  "));
    return (gap < 0 ? entry : entry.left(gap)).trimmed();
}

}  // namespace kestrum
