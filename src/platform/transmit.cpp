#include "platform/transmit.h"

#include "platform/serial_port.h"

#include <string>

namespace kestrum {

TransmitResult TransmitString(std::string_view text, DisplayMode mode, SerialPort& port) {
    TransmitResult result;
    const std::string bytes = EncodeTransmitBytes(text, mode);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        try {
            port.Output(std::string_view(bytes).substr(i, 1));
            ++result.written;
        } catch (const PortError&) {
            ++result.refused;  // the caller goes on with the next byte
        }
    }
    return result;
}

}  // namespace kestrum
