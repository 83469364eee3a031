#pragma once
// Sending a string written in a notation to the port, one write per byte.

#include "notation/byte_notation.h"

#include <string>
#include <string_view>

namespace kestrum {

class SerialPort;

struct TransmitResult {
    int written = 0;    // bytes the port took
    int refused = 0;    // bytes whose write the port refused (PortError); the rest still went
    std::string bytes;  // the encoded string, every byte tried in order
};

// Writes `bytes` to `port`, one Output call per byte, in order. A refused write loses only
// that byte. Exceptions other than PortError pass through.
TransmitResult TransmitBytes(std::string bytes, SerialPort& port);

// TransmitBytes(EncodeTransmitBytes(text, mode), port).
TransmitResult TransmitString(std::string_view text, DisplayMode mode, SerialPort& port);

}  // namespace kestrum
