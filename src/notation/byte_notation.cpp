#include "notation/byte_notation.h"

#include "notation/notation_codec.h"

namespace kestrum {

using namespace notation_detail;

namespace {

// Room for the converted text: `tokens` tokens of at most `perToken` characters, plus the slack
// that Put() needs for its four-character copies.
std::string MakeBuffer(std::size_t tokens, std::size_t perToken) {
    std::string buffer;
    buffer.resize(tokens * perToken + 4);
    return buffer;
}

std::size_t TokenCount(std::size_t size, std::size_t step) {
    return (size + step - 1) / step;
}

std::string Finish(std::string& buffer, const char* end) {
    buffer.resize(static_cast<std::size_t>(end - buffer.data()));
    return std::move(buffer);
}

std::string FromAscii(std::string_view input, DisplayMode target) {
    std::string buffer = MakeBuffer(input.size(), target == DisplayMode::Hex ? 3 : 4);
    char* out = buffer.data();
    if (target == DisplayMode::Hex) {
        ForEachAsciiByte(input, [&out](int v) { out = PutHex(out, v); });
    } else {
        ForEachAsciiByte(input, [&out](int v) { out = PutDecimal(out, v); });
    }
    return Finish(buffer, out);
}

// Hex input never fails: a token reads as less, or as 0.
std::string FromHex(std::string_view input, DisplayMode target, bool passThrough) {
    const std::size_t tokens = TokenCount(input.size(), kHexTokenStep);
    std::string buffer = MakeBuffer(tokens, target == DisplayMode::Ascii ? 2 : 4);
    char* out = buffer.data();
    if (target == DisplayMode::Ascii) {
        ForEachToken(input, kHexTokenWidth, kHexTokenStep,
                     [&out, passThrough](const char* token, std::size_t size) {
                         out = PutAscii(out, ReadHexLenient(token, size), passThrough);
                         return true;
                     });
    } else {
        ForEachToken(input, kHexTokenWidth, kHexTokenStep,
                     [&out](const char* token, std::size_t size) {
                         out = PutDecimal(out, ReadHexLenient(token, size));
                         return true;
                     });
    }
    return Finish(buffer, out);
}

// A token that is not a number ends the conversion, as does a value above 255 going into Ascii;
// the result keeps what was converted before it. Into Hex a value above 255 takes more digits.
std::string FromDecimal(std::string_view input, DisplayMode target, bool passThrough) {
    const std::size_t tokens = TokenCount(input.size(), kDecimalTokenStep);
    std::string buffer = MakeBuffer(tokens, target == DisplayMode::Ascii ? 2 : 4);
    char* out = buffer.data();
    if (target == DisplayMode::Ascii) {
        ForEachToken(input, kDecimalTokenWidth, kDecimalTokenStep,
                     [&out, passThrough](const char* token, std::size_t size) {
                         const int v = ReadDecimal(token, size);
                         if (v == kNotANumber || v > 255) {
                             return false;
                         }
                         out = PutAscii(out, v, passThrough);
                         return true;
                     });
    } else {
        ForEachToken(input, kDecimalTokenWidth, kDecimalTokenStep,
                     [&out](const char* token, std::size_t size) {
                         const int v = ReadDecimal(token, size);
                         if (v == kNotANumber) {
                             return false;
                         }
                         out = v > 255 ? PutWideHex(out, v) : PutHex(out, v);
                         return true;
                     });
    }
    return Finish(buffer, out);
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
    std::string bytes;
    switch (mode) {
        case DisplayMode::Ascii: {
            bytes.resize(text.size());
            char* out = bytes.data();
            ForEachAsciiByte(text, [&out](int v) { *out++ = static_cast<char>(v); });
            return Finish(bytes, out);
        }
        case DisplayMode::Hex: {
            bytes.resize(TokenCount(text.size(), kHexTokenStep));
            char* out = bytes.data();
            ForEachToken(text, kHexTokenWidth, kHexTokenStep,
                         [&out](const char* token, std::size_t size) {
                             const int v = ReadHexStrict(token, size);
                             if (v >= 0) {
                                 *out++ = static_cast<char>(v);
                             }
                             return true;
                         });
            return Finish(bytes, out);
        }
        case DisplayMode::Decimal: {
            bytes.resize(TokenCount(text.size(), kDecimalTokenStep));
            char* out = bytes.data();
            ForEachToken(text, kDecimalTokenWidth, kDecimalTokenStep,
                         [&out](const char* token, std::size_t size) {
                             const int v = ReadDecimal(token, size);
                             if (v != kNotANumber && v <= 255) {
                                 *out++ = static_cast<char>(v);
                             }
                             return true;
                         });
            return Finish(bytes, out);
        }
    }
    return bytes;
}

}  // namespace kestrum
