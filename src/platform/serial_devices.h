#pragma once
// The serial devices this system offers, for the port settings dialog's device box.

#include <QStringList>

namespace kestrum {

// Device paths as the port service opens them ("/dev/ttyUSB0", "COM3"), sorted; empty when
// the system reports none.
QStringList AvailableSerialDevices();

}  // namespace kestrum
