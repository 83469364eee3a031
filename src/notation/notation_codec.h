#pragma once
// Building blocks shared by the converter, the port encoder, the received-data formatter and
// the checksums: reading one token of a notation and writing one byte in a notation.
// Internal to src/notation; callers elsewhere use byte_notation.h.

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace kestrum::notation_detail {

// "^" opens a caret pair; "^|" is the caret byte itself.
inline constexpr char kCaret = '^';
inline constexpr char kCaretBar = '|';
inline constexpr int kCaretByte = 94;
// A caret pair's second character stands for its code minus this.
inline constexpr int kCaretOffset = 64;

inline constexpr int kHexTokenStep = 3;      // two digits and one separator
inline constexpr int kDecimalTokenStep = 4;  // three digits and one separator
inline constexpr int kHexTokenWidth = 2;
inline constexpr int kDecimalTokenWidth = 3;

inline int Code(char c) {
    return static_cast<unsigned char>(c);
}

// The value of a caret pair whose second character is `second`; negative (no byte) for a
// character with a code below 64.
inline int CaretPairCode(char second) {
    return second == kCaretBar ? kCaretByte : Code(second) - kCaretOffset;
}

// Value of a hexadecimal digit of either case, or -1.
inline constexpr std::array<signed char, 256> kHexDigitValue = [] {
    std::array<signed char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = -1;
    }
    for (int i = 0; i < 10; ++i) {
        table['0' + i] = static_cast<signed char>(i);
    }
    for (int i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<signed char>(10 + i);
        table['a' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}();

inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// One byte written in a notation, ready to copy: Hex "41 ", Decimal "065 ", Ascii "A" or "^M".
struct WrittenByte {
    std::array<char, 4> chars{};
    unsigned char size = 0;
};

inline constexpr std::array<WrittenByte, 256> kHexForms = [] {
    std::array<WrittenByte, 256> table{};
    for (int v = 0; v < 256; ++v) {
        table[v].chars = {kUpperHexDigits[v >> 4], kUpperHexDigits[v & 15], ' ', '\0'};
        table[v].size = 3;
    }
    return table;
}();

inline constexpr std::array<WrittenByte, 256> kDecimalForms = [] {
    std::array<WrittenByte, 256> table{};
    for (int v = 0; v < 256; ++v) {
        table[v].chars = {static_cast<char>('0' + v / 100), static_cast<char>('0' + v / 10 % 10),
                          static_cast<char>('0' + v % 10), ' '};
        table[v].size = 4;
    }
    return table;
}();

// Without Cr/Lf pass-through: the caret byte as "^|", bytes below 32 as caret pairs, every
// other byte (127 to 255 included) as its own character.
inline constexpr std::array<WrittenByte, 256> kAsciiForms = [] {
    std::array<WrittenByte, 256> table{};
    for (int v = 0; v < 256; ++v) {
        if (v == kCaretByte) {
            table[v].chars = {kCaret, kCaretBar, '\0', '\0'};
            table[v].size = 2;
        } else if (v < 32) {
            table[v].chars = {kCaret, static_cast<char>(v + kCaretOffset), '\0', '\0'};
            table[v].size = 2;
        } else {
            table[v].chars = {static_cast<char>(v), '\0', '\0', '\0'};
            table[v].size = 1;
        }
    }
    return table;
}();

// Collects written text through a small buffer that stays in cache and is appended to the
// result in chunks. A large result is then written once: no zero-fill of an over-sized string,
// and the pages of its reserved room that the text never reaches are never touched.
// Use: char* out = sink.Start(); per token { out = sink.Room(out); out = Put...(out, v); }
// then sink.Finish(out).
class ChunkedSink {
public:
    // `capacity`: an upper bound of the text's size, reserved at once.
    explicit ChunkedSink(std::size_t capacity) { text_.reserve(capacity); }

    char* Start() { return buffer_.data(); }

    // Returns where to write next, with room for at least kMaxWrite characters.
    char* Room(char* out) {
        if (out >= buffer_.data() + kChunk) [[unlikely]] {
            text_.append(buffer_.data(), static_cast<std::size_t>(out - buffer_.data()));
            return buffer_.data();
        }
        return out;
    }

    std::string Finish(char* out) {
        text_.append(buffer_.data(), static_cast<std::size_t>(out - buffer_.data()));
        return std::move(text_);
    }

    static constexpr std::size_t kMaxWrite = 8;

private:
    static constexpr std::size_t kChunk = 4096;
    std::string text_;
    std::array<char, kChunk + kMaxWrite> buffer_;
};

// Copies the written form and returns the position after it. Always copies four characters,
// so there must be room for four at `out` (ChunkedSink::Room gives that).
inline char* Put(char* out, const WrittenByte& form) {
    std::memcpy(out, form.chars.data(), 4);
    return out + form.size;
}

inline char* PutHex(char* out, int v) {
    return Put(out, kHexForms[v]);
}
inline char* PutDecimal(char* out, int v) {
    return Put(out, kDecimalForms[v]);
}

// passThrough: 13 and 10 are written as the raw characters.
inline char* PutAscii(char* out, int v, bool passThrough) {
    if (passThrough && (v == 13 || v == 10)) {
        *out = static_cast<char>(v);
        return out + 1;
    }
    return Put(out, kAsciiForms[v]);
}

// A value above 255 (only a Decimal token can give one, at most 999) in Hex: as many upper-case
// digits as it needs, then the separator.
inline char* PutWideHex(char* out, int v) {
    char digits[8];
    int count = 0;
    do {
        digits[count++] = kUpperHexDigits[v & 15];
        v >>= 4;
    } while (v != 0);
    if (count == 1) {
        digits[count++] = '0';
    }
    while (count > 0) {
        *out++ = digits[--count];
    }
    *out++ = ' ';
    return out;
}

// A Hex token read leniently: digits of either case, reading stops at the first character that
// is not a hexadecimal digit, and a token with no leading digit gives 0 (so " 4" gives 0).
inline int ReadHexLenient(const char* token, std::size_t size) {
    const int high = kHexDigitValue[static_cast<unsigned char>(token[0])];
    if (high < 0) {
        return 0;
    }
    if (size < 2) {
        return high;
    }
    const int low = kHexDigitValue[static_cast<unsigned char>(token[1])];
    return low < 0 ? high : high * 16 + low;
}

// A Hex token read strictly: -1 when any of its characters is not a hexadecimal digit.
inline int ReadHexStrict(const char* token, std::size_t size) {
    const int high = kHexDigitValue[static_cast<unsigned char>(token[0])];
    if (size < 2 || high < 0) {
        return high;
    }
    const int low = kHexDigitValue[static_cast<unsigned char>(token[1])];
    return low < 0 ? -1 : high * 16 + low;
}

inline constexpr int kNotANumber = -1;

// A Decimal token (up to three characters) read as a number: digits with optional spaces around
// them ("65 " and " 65" read as 65). Anything else, including a sign, a space between digits or
// a token of spaces only, is not a number and gives kNotANumber. The value may exceed 255.
inline int ReadDecimal(const char* token, std::size_t size) {
    if (size == 3) {
        const unsigned d0 = static_cast<unsigned char>(token[0]) - '0';
        const unsigned d1 = static_cast<unsigned char>(token[1]) - '0';
        const unsigned d2 = static_cast<unsigned char>(token[2]) - '0';
        if ((d0 | d1 | d2) < 10) {
            return static_cast<int>(d0 * 100 + d1 * 10 + d2);
        }
    }
    std::size_t i = 0;
    while (i < size && token[i] == ' ') {
        ++i;
    }
    int value = 0;
    std::size_t digits = 0;
    while (i < size && token[i] >= '0' && token[i] <= '9') {
        value = value * 10 + (token[i] - '0');
        ++digits;
        ++i;
    }
    while (i < size && token[i] == ' ') {
        ++i;
    }
    return digits > 0 && i == size ? value : kNotANumber;
}

// Reads Ascii notation with its caret pairs and calls `take(v)` for every byte, in order. A "^"
// that ends the text gives nothing, and so does a caret pair whose second character has a code
// below 64 (its value would be negative): such a pair stands for no byte.
template <class Take>
inline void ForEachAsciiByte(std::string_view text, Take&& take) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        const char c = *p++;
        if (c != kCaret) {
            take(Code(c));
            continue;
        }
        if (p == end) {
            return;
        }
        const int v = CaretPairCode(*p++);
        if (v >= 0) {
            take(v);
        }
    }
}

// Calls `take(token, size)` for each token of a notation with `width` characters per token and
// `step` characters from one token to the next; the last token may be shorter. `take` returns
// false to stop. The separator is skipped without being looked at.
template <class Take>
inline void ForEachToken(std::string_view text, std::size_t width, std::size_t step, Take&& take) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left >= step) {
        if (!take(p, width)) {
            return;
        }
        p += step;
        left -= step;
    }
    if (left > 0) {
        take(p, left < width ? left : width);
    }
}

}  // namespace kestrum::notation_detail
