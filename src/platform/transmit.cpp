#include "platform/transmit.h"

#include "platform/serial_port.h"

namespace kestrum {

TransmitResult TransmitBytes(std::string_view bytes, SerialPort& port) {
    TransmitResult result;
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
