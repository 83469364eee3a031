#include "notation/byte_notation.h"

#include "notation/notation_codec.h"

namespace kestrum {

using namespace notation_detail;

namespace {

std::size_t TokenCount(std::size_t size, std::size_t step) {
    return (size + step - 1) / step;
}

// Each converter reserves for its worst case: one byte per Ascii character, at most four
// characters per written token ("255 ", or "3E7 " for a wide Hex value), two in Ascii.
std::string FromAscii(std::string_view input, DisplayMode target) {
    ChunkedSink sink(input.size() * (target == DisplayMode::Hex ? 3 : 4));
    char* out = sink.Start();
    if (target == DisplayMode::Hex) {
        ForEachAsciiByte(input, [&](int v) { out = PutHex(sink.Room(out), v); });
    } else {
        ForEachAsciiByte(input, [&](int v) { out = PutDecimal(sink.Room(out), v); });
    }
    return sink.Finish(out);
}

// Hex input never fails: a token reads as less, or as 0.
std::string FromHex(std::string_view input, DisplayMode target, bool passThrough) {
    const std::size_t tokens = TokenCount(input.size(), kHexTokenStep);
    ChunkedSink sink(tokens * (target == DisplayMode::Ascii ? 2 : 4));
    char* out = sink.Start();
    if (target == DisplayMode::Ascii) {
        ForEachToken(input, kHexTokenWidth, kHexTokenStep,
                     [&](const char* token, std::size_t size) {
                         out = PutAscii(sink.Room(out), ReadHexLenient(token, size), passThrough);
                         return true;
                     });
    } else {
        ForEachToken(input, kHexTokenWidth, kHexTokenStep,
                     [&](const char* token, std::size_t size) {
                         out = PutDecimal(sink.Room(out), ReadHexLenient(token, size));
                         return true;
                     });
    }
    return sink.Finish(out);
}

// A token that is not a number ends the conversion, as does a value above 255 going into Ascii;
// the result keeps what was converted before it. Into Hex a value above 255 takes more digits.
std::string FromDecimal(std::string_view input, DisplayMode target, bool passThrough) {
    const std::size_t tokens = TokenCount(input.size(), kDecimalTokenStep);
    ChunkedSink sink(tokens * (target == DisplayMode::Ascii ? 2 : 4));
    char* out = sink.Start();
    if (target == DisplayMode::Ascii) {
        ForEachToken(input, kDecimalTokenWidth, kDecimalTokenStep,
                     [&](const char* token, std::size_t size) {
                         const int v = ReadDecimal(token, size);
                         if (v == kNotANumber || v > 255) {
                             return false;
                         }
                         out = PutAscii(sink.Room(out), v, passThrough);
                         return true;
                     });
    } else {
        ForEachToken(input, kDecimalTokenWidth, kDecimalTokenStep,
                     [&](const char* token, std::size_t size) {
                         const int v = ReadDecimal(token, size);
                         if (v == kNotANumber) {
                             return false;
                         }
                         out = sink.Room(out);
                         out = v > 255 ? PutWideHex(out, v) : PutHex(out, v);
                         return true;
                     });
    }
    return sink.Finish(out);
}

}  // namespace

std::optional<DisplayMode> DisplayModeFromText(std::string_view text) {
    if (text == "Ascii") {
        return DisplayMode::Ascii;
    }
    if (text == "Hex") {
        return DisplayMode::Hex;
    }
    if (text == "Decimal") {
        return DisplayMode::Decimal;
    }
    return std::nullopt;
}

std::string_view DisplayModeText(DisplayMode mode) {
    switch (mode) {
        case DisplayMode::Ascii:
            return "Ascii";
        case DisplayMode::Hex:
            return "Hex";
        case DisplayMode::Decimal:
            return "Decimal";
    }
    return {};
}

std::string ChangeMode(std::string_view input, DisplayMode source, DisplayMode target,
                       bool crLfPassThrough) {
    if (source == target) {
        return std::string(input);
    }
    switch (source) {
        case DisplayMode::Ascii:
            return FromAscii(input, target);
        case DisplayMode::Hex:
            return FromHex(input, target, crLfPassThrough);
        case DisplayMode::Decimal:
            return FromDecimal(input, target, crLfPassThrough);
    }
    return {};
}

std::string EncodeTransmitBytes(std::string_view text, DisplayMode mode) {
    switch (mode) {
        case DisplayMode::Ascii: {
            ChunkedSink sink(text.size());
            char* out = sink.Start();
            ForEachAsciiByte(text, [&](int v) {
                out = sink.Room(out);
                *out++ = static_cast<char>(v);
            });
            return sink.Finish(out);
        }
        case DisplayMode::Hex: {
            ChunkedSink sink(TokenCount(text.size(), kHexTokenStep));
            char* out = sink.Start();
            ForEachToken(text, kHexTokenWidth, kHexTokenStep,
                         [&](const char* token, std::size_t size) {
                             const int v = ReadHexStrict(token, size);
                             if (v >= 0) {
                                 out = sink.Room(out);
                                 *out++ = static_cast<char>(v);
                             }
                             return true;
                         });
            return sink.Finish(out);
        }
        case DisplayMode::Decimal: {
            ChunkedSink sink(TokenCount(text.size(), kDecimalTokenStep));
            char* out = sink.Start();
            ForEachToken(text, kDecimalTokenWidth, kDecimalTokenStep,
                         [&](const char* token, std::size_t size) {
                             const int v = ReadDecimal(token, size);
                             if (v != kNotANumber && v <= 255) {
                                 out = sink.Room(out);
                                 *out++ = static_cast<char>(v);
                             }
                             return true;
                         });
            return sink.Finish(out);
        }
    }
    return {};
}

std::optional<unsigned char> CaretPairByte(char second) {
    const int v = CaretPairCode(second);
    return v >= 0 ? std::optional<unsigned char>(static_cast<unsigned char>(v)) : std::nullopt;
}

std::optional<int> HexTokenValue(std::string_view token) {
    const int v = token.empty() ? -1 : ReadHexStrict(token.data(), token.size());
    return v >= 0 ? std::optional<int>(v) : std::nullopt;
}

std::optional<int> DecimalTokenValue(std::string_view token) {
    const int v = ReadDecimal(token.data(), token.size());
    return v != kNotANumber ? std::optional<int>(v) : std::nullopt;
}

}  // namespace kestrum
