#pragma once
// The three byte notations (Ascii with caret pairs, Hex, Decimal), the one converter
// between them and the encoder into port bytes. Data strings hold one byte per char.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrum {

// The value is also the width in characters of one token of the notation.
enum class DisplayMode : std::int16_t { Ascii = 1, Hex = 2, Decimal = 3 };

// Exact, case-sensitive "Ascii", "Hex", "Decimal"; anything else gives nullopt.
std::optional<DisplayMode> DisplayModeFromText(std::string_view text);
std::string_view DisplayModeText(DisplayMode mode);

// Rewrites `input` from `source` notation into `target` notation.
// crLfPassThrough: the caller requested pass-through for this call AND ProcessCrLf is 1;
// bytes 13 and 10 are then written into Ascii as the raw characters.
// Never throws. A Decimal token that is not a number, or a Decimal value above 255
// converted into Ascii, ends the conversion: the result holds what came before it.
// A Decimal value above 255 converted into Hex takes as many digits as it needs ("999 " gives
// "3E7 "). Hex input never fails: a token is read up to its first non-hexadecimal character,
// so "4G" reads as 4 and " 4" (no leading digit) as 0. An Ascii caret pair whose second
// character has a code below 64 (such as "^1") stands for no byte and writes nothing, and a
// "^" that ends the text writes nothing. When source and target are equal the input comes back
// unchanged. Example: ChangeMode("AB^M^J", Ascii, Hex) == "41 42 0D 0A ".
// Cost: linear in the input.
std::string ChangeMode(std::string_view input, DisplayMode source, DisplayMode target,
                       bool crLfPassThrough = false);

// ChangeMode for a text that comes in pieces, written into a buffer the caller reuses, so a
// long text is converted without holding it, or its result, whole. Feeding pieces and then
// calling Finish appends exactly what ChangeMode gives for the pieces joined, whatever the
// cut: a token or caret pair split between two pieces is held until it is complete. After
// Finish the converter starts a new text. Cost: linear in the input; no allocation beyond
// the growth of `out`.
class ModeConverter {
public:
    ModeConverter(DisplayMode source, DisplayMode target, bool crLfPassThrough = false);

    void Feed(std::string_view piece, std::string& out);
    void Finish(std::string& out);

private:
    // Converts whole tokens (or Ascii characters) from `text`, writing at `out`; returns the
    // position after the last character written.
    char* ConvertTokens(std::string_view text, char* out);
    // One token of a Hex or Decimal source; false when it ends the conversion.
    bool ConvertToken(const char* token, std::size_t size, char*& out);

    DisplayMode source_;
    DisplayMode target_;
    bool passThrough_;
    std::size_t step_ = 1;  // characters from one source token to the next
    std::size_t width_ = 1;
    char held_[4] = {};
    std::size_t heldSize_ = 0;
    bool stopped_ = false;  // a Decimal token ended the conversion
};

// The bytes a send of `text` in `mode` writes, in order (one char = one byte).
// Tokens that give no byte 0..255 are skipped; the rest is still encoded: a Hex token holding a
// non-hexadecimal character, a Decimal token that is not a number (spaces around the digits are
// allowed) or is above 255, an Ascii caret pair whose second character has a code below 64.
// A "^" that ends the text gives nothing. Example: "256 001" in Decimal gives the byte 0x01.
std::string EncodeTransmitBytes(std::string_view text, DisplayMode mode);

// Single tokens, read as the encoder reads them, for callers that step token by token.
// The byte an Ascii caret pair "^<second>" stands for; nullopt when it stands for none.
std::optional<unsigned char> CaretPairByte(char second);
// A Hex token of one or two characters: its value when every character is a hexadecimal
// digit of either case, else nullopt.
std::optional<int> HexTokenValue(std::string_view token);
// A Decimal token of up to three characters: its value (it may exceed 255) when it is digits
// with optional spaces around them, else nullopt.
std::optional<int> DecimalTokenValue(std::string_view token);

}  // namespace kestrum
