#include "notation/byte_notation.h"

#include "notation/notation_codec.h"

#include <algorithm>
#include <cstring>

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

ModeConverter::ModeConverter(DisplayMode source, DisplayMode target, bool crLfPassThrough)
    : source_(source), target_(target), passThrough_(crLfPassThrough) {
    if (source == DisplayMode::Hex) {
        step_ = kHexTokenStep;
        width_ = kHexTokenWidth;
    } else if (source == DisplayMode::Decimal) {
        step_ = kDecimalTokenStep;
        width_ = kDecimalTokenWidth;
    }
}

bool ModeConverter::ConvertToken(const char* token, std::size_t size, char*& out) {
    if (source_ == DisplayMode::Hex) {
        const int v = ReadHexLenient(token, size);
        out = target_ == DisplayMode::Ascii ? PutAscii(out, v, passThrough_) : PutDecimal(out, v);
        return true;
    }
    const int v = ReadDecimal(token, size);
    if (v == kNotANumber || (v > 255 && target_ == DisplayMode::Ascii)) {
        return false;
    }
    if (target_ == DisplayMode::Ascii) {
        out = PutAscii(out, v, passThrough_);
    } else {
        out = v > 255 ? PutWideHex(out, v) : PutHex(out, v);
    }
    return true;
}

char* ModeConverter::ConvertTokens(std::string_view text, char* out) {
    if (source_ == DisplayMode::Ascii) {
        const bool hex = target_ == DisplayMode::Hex;
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p != end) {
            int v = Code(*p++);
            if (v == kCaret) {
                if (p == end) {
                    held_[0] = kCaret;
                    heldSize_ = 1;
                    break;
                }
                v = CaretPairCode(*p++);
                if (v < 0) {
                    continue;
                }
            }
            out = hex ? PutHex(out, v) : PutDecimal(out, v);
        }
        return out;
    }
    const char* p = text.data();
    std::size_t left = text.size();
    while (left >= step_) {
        if (!ConvertToken(p, width_, out)) {
            stopped_ = true;
            return out;
        }
        p += step_;
        left -= step_;
    }
    std::memcpy(held_, p, left);
    heldSize_ = left;
    return out;
}

void ModeConverter::Feed(std::string_view piece, std::string& out) {
    if (stopped_ || piece.empty()) {
        return;
    }
    if (source_ == target_) {
        out.append(piece);
        return;
    }
    // At most four characters per input character, and Put writes four at a time.
    const std::size_t start = out.size();
    out.resize(start + (piece.size() + heldSize_) * 4 + ChunkedSink::kMaxWrite);
    char* const begin = out.data() + start;
    char* end = begin;
    if (heldSize_ > 0) {
        // Complete the token (or caret pair) the previous piece ended inside.
        const std::size_t wanted = source_ == DisplayMode::Ascii ? 2 : step_;
        const std::size_t taken = std::min(wanted - heldSize_, piece.size());
        std::memcpy(held_ + heldSize_, piece.data(), taken);
        piece.remove_prefix(taken);
        if (heldSize_ + taken < wanted) {
            heldSize_ += taken;
        } else {
            char token[4];
            std::memcpy(token, held_, wanted);
            heldSize_ = 0;
            end = ConvertTokens(std::string_view(token, wanted), end);
        }
    }
    if (!stopped_ && heldSize_ == 0) {
        end = ConvertTokens(piece, end);
    }
    out.resize(start + static_cast<std::size_t>(end - begin));
}

void ModeConverter::Finish(std::string& out) {
    if (!stopped_ && heldSize_ > 0 && source_ != DisplayMode::Ascii && source_ != target_) {
        const std::size_t start = out.size();
        out.resize(start + ChunkedSink::kMaxWrite);
        char* end = out.data() + start;
        ConvertToken(held_, std::min(heldSize_, width_), end);
        out.resize(static_cast<std::size_t>(end - out.data()));
    }
    heldSize_ = 0;
    stopped_ = false;
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
