// ChangeMode on any text: Hex and Decimal output is always well formed, the Ascii round trip
// through Hex settles after one normalisation, the three notations agree with each other, and
// every byte string survives Hex -> Ascii -> bytes.
//
// Input: one control byte (bit 0: Cr/Lf pass-through requested), then the text.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "notation/byte_notation.h"

namespace kestrum::fuzz {
namespace {

using enum DisplayMode;

// Every conversion into Hex or Decimal writes tokens of the target's form.
void CheckWellFormed(std::string_view text, bool passThrough) {
    for (const DisplayMode source : {Ascii, Hex, Decimal}) {
        for (const DisplayMode target : {Hex, Decimal}) {
            if (source == target) {
                continue;
            }
            const std::string out = ChangeMode(text, source, target, passThrough);
            std::string why;
            KESTRUM_PROPERTY(ReadWritten(out, target, source == Decimal, &why).has_value(),
                             ModeName(source) + " to " + ModeName(target) + ": " + why + " in \"" +
                                 Escaped(out) + "\"");
        }
    }
}

// Ascii -> Hex -> Ascii normalises; a second pass changes nothing more.
void CheckAsciiNormalisation(std::string_view text, bool passThrough) {
    const auto normalise = [passThrough](std::string_view ascii) {
        return ChangeMode(ChangeMode(ascii, Ascii, Hex), Hex, Ascii, passThrough);
    };
    const std::string once = normalise(text);
    const std::string twice = normalise(once);
    KESTRUM_PROPERTY(once == twice, GotExpected(twice, once));
    // Normalising keeps the bytes the text stands for.
    KESTRUM_PROPERTY(
        EncodeTransmitBytes(once, Ascii) == EncodeTransmitBytes(text, Ascii),
        GotExpected(EncodeTransmitBytes(once, Ascii), EncodeTransmitBytes(text, Ascii)));
}

// Hex text reaches the same canonical Hex through Ascii as through Decimal; Decimal text the
// same canonical Decimal through Ascii as through Hex (when no value needs a wide Hex token).
void CheckRoutesAgree(std::string_view text, bool passThrough) {
    const std::string viaAscii = ChangeMode(ChangeMode(text, Hex, Ascii, passThrough), Ascii, Hex);
    const std::string viaDecimal = ChangeMode(ChangeMode(text, Hex, Decimal), Decimal, Hex);
    KESTRUM_PROPERTY(viaAscii == viaDecimal,
                     "Hex via Ascii vs via Decimal: " + GotExpected(viaAscii, viaDecimal));

    const std::string hex = ChangeMode(text, Decimal, Hex);
    std::string why;
    if (ReadWritten(hex, Hex, false, &why)) {
        const std::string decimalViaAscii =
            ChangeMode(ChangeMode(text, Decimal, Ascii, passThrough), Ascii, Decimal);
        const std::string decimalViaHex = ChangeMode(hex, Hex, Decimal);
        KESTRUM_PROPERTY(
            decimalViaAscii == decimalViaHex,
            "Decimal via Ascii vs via Hex: " + GotExpected(decimalViaAscii, decimalViaHex));
    }
}

// Any bytes, written in Hex or Decimal by an independent writer, come back through Ascii.
void CheckBytesRoundTrip(std::string_view bytes, bool passThrough) {
    const std::string hex = HexOf(bytes);
    const std::string decimal = DecimalOf(bytes);
    const std::string fromHex = ChangeMode(hex, Hex, Ascii, passThrough);
    const std::string fromDecimal = ChangeMode(decimal, Decimal, Ascii, passThrough);
    KESTRUM_PROPERTY(fromHex == fromDecimal, GotExpected(fromHex, fromDecimal));
    KESTRUM_PROPERTY(EncodeTransmitBytes(fromHex, Ascii) == bytes,
                     GotExpected(EncodeTransmitBytes(fromHex, Ascii), bytes));
    KESTRUM_PROPERTY(ChangeMode(fromHex, Ascii, Hex) == hex,
                     GotExpected(ChangeMode(fromHex, Ascii, Hex), hex));
    KESTRUM_PROPERTY(ChangeMode(hex, Hex, Decimal) == decimal,
                     GotExpected(ChangeMode(hex, Hex, Decimal), decimal));
    KESTRUM_PROPERTY(ChangeMode(decimal, Decimal, Hex) == hex,
                     GotExpected(ChangeMode(decimal, Decimal, Hex), hex));
}

}  // namespace
}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const Split input = TakeControlByte(data, size);
    const bool passThrough = (input.control & 1) != 0;
    for (const auto mode :
         {kestrum::DisplayMode::Ascii, kestrum::DisplayMode::Hex, kestrum::DisplayMode::Decimal}) {
        KESTRUM_PROPERTY(kestrum::ChangeMode(input.rest, mode, mode, passThrough) == input.rest,
                         "a conversion into the same notation changed the text");
    }
    CheckWellFormed(input.rest, passThrough);
    CheckAsciiNormalisation(input.rest, passThrough);
    CheckRoutesAgree(input.rest, passThrough);
    CheckBytesRoundTrip(input.rest, passThrough);
    return 0;
}
