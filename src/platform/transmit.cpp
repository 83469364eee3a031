#include "platform/transmit.h"

#include "platform/serial_port.h"

#include <string>
#include <utility>

namespace kestrum {

TransmitResult TransmitBytes(std::string bytes, SerialPort& port) {
    TransmitResult result;
    result.bytes = std::move(bytes);
    const std::string_view all = result.bytes;
    for (std::size_t i = 0; i < all.size(); ++i) {
        try {
            port.Output(all.substr(i, 1));
            ++result.written;
        } catch (const PortError&) {
            ++result.refused;  // the caller goes on with the next byte
        }
    }
    return result;
}

TransmitResult TransmitString(std::string_view text, DisplayMode mode, SerialPort& port) {
    return TransmitBytes(EncodeTransmitBytes(text, mode), port);
}

}  // namespace kestrum
