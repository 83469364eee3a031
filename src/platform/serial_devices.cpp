#include "platform/serial_devices.h"

#include <QSerialPortInfo>

namespace kestrum {

QStringList AvailableSerialDevices() {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        devices << info.systemLocation();
    }
    devices.sort();
    devices.removeDuplicates();
    return devices;
}

}  // namespace kestrum
