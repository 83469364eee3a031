#include "notation/received_formatter.h"

#include "notation/notation_codec.h"

namespace kestrum {

using namespace notation_detail;

std::string FormatReceived(std::string_view bytes, DisplayMode mainMode, bool processCrLf) {
    if (bytes.empty()) {
        return {};
    }
    const std::size_t perByte = mainMode == DisplayMode::Ascii ? 2 : 4;
    std::string text;
    // Put() copies four characters at a time; the spare room is trimmed below.
    text.resize(bytes.size() * perByte + 4);
    char* out = text.data();
    switch (mainMode) {
        case DisplayMode::Ascii:
            for (char b : bytes) {
                out = PutAscii(out, Code(b), processCrLf);
            }
            break;
        case DisplayMode::Hex:
            for (char b : bytes) {
                out = PutHex(out, Code(b));
            }
            break;
        case DisplayMode::Decimal:
            for (char b : bytes) {
                out = PutDecimal(out, Code(b));
            }
            *out++ = ' ';
            break;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

}  // namespace kestrum
