#pragma once
// The serial devices this system offers, for the port settings dialog's device box.

#include <QStringList>

namespace kestrum {

// The device box's entries: each present device followed, after two spaces, by what the system
// knows of it ("/dev/ttyUSB0  FT232R USB UART (FTDI, serial A50285BI)"), then the stable names
// under /dev/serial/by-id, each with the device it names at the moment. Sorted by path.
QStringList DescribedSerialDevices();
// The device path of such an entry (the text before the two spaces), or the text itself.
QString DevicePathOf(const QString& entry);

}  // namespace kestrum
