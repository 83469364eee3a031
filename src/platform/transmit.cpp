#include "platform/transmit.h"

#include "platform/serial_port.h"

#include <string>

namespace kestrum {

TransmitResult TransmitString(std::string_view text, DisplayMode mode, SerialPort& port) {
    TransmitResult result;
    result.bytes = EncodeTransmitBytes(text, mode);
    const std::string_view bytes = result.bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        try {
            port.Output(bytes.substr(i, 1));
            ++result.written;
        } catch (const PortError&) {
            ++result.refused;  // the caller goes on with the next byte
        }
    }
    return result;
}

}  // namespace kestrum
