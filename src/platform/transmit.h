#pragma once
// Writing a send's bytes to the port, one write per byte.

#include <string_view>

namespace kestrum {

class SerialPort;

struct TransmitResult {
    int written = 0;  // bytes the port took
    int refused = 0;  // bytes whose write the port refused (PortError); the rest still went
};

// Writes `bytes` to `port`, one Output call per byte, in order. A refused write loses only
// that byte. Exceptions other than PortError pass through.
TransmitResult TransmitBytes(std::string_view bytes, SerialPort& port);

}  // namespace kestrum
