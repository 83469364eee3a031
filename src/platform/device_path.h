#pragma once
// Saying what stands at a port's device path when it is no device: a file left where a
// device node was (a capture of the same name, a mistyped path), a FIFO or a folder.

#include <QString>
#include <string>

namespace kestrum {

// "<path> is a regular file, not a serial device" (a FIFO, a folder, a socket, likewise), or
// "No serial device for port <port> (<path>)" when nothing of those is there.
std::string NoDeviceReason(int port, const QString& path);

}  // namespace kestrum
