#include "notation/received_formatter.h"

#include "notation/notation_codec.h"

namespace kestrum {

using namespace notation_detail;

std::string FormatReceived(std::string_view bytes, DisplayMode mainMode, bool processCrLf) {
    if (bytes.empty()) {
        return {};
    }
    // Characters per byte: at most 2 in Ascii, 3 in Hex, 4 in Decimal (plus its final space).
    ChunkedSink sink(bytes.size() * (1 + static_cast<std::size_t>(mainMode)) + 1);
    char* out = sink.Start();
    switch (mainMode) {
        case DisplayMode::Ascii:
            for (char b : bytes) {
                out = PutAscii(sink.Room(out), Code(b), processCrLf);
            }
            break;
        case DisplayMode::Hex:
            for (char b : bytes) {
                out = PutHex(sink.Room(out), Code(b));
            }
            break;
        case DisplayMode::Decimal:
            for (char b : bytes) {
                out = PutDecimal(sink.Room(out), Code(b));
            }
            out = sink.Room(out);
            *out++ = ' ';
            break;
    }
    return sink.Finish(out);
}

}  // namespace kestrum
