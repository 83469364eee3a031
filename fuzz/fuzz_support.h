#pragma once
// Shared by the fuzz targets: a property check that reports the input and aborts (so libFuzzer
// keeps the input as a crash file and the seed replay fails), and reference readers and writers
// for the notations, written independently of the code under test.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "notation/byte_notation.h"

namespace kestrum::fuzz {

// The input of the run in progress, printed when a property fails.
inline std::string_view& CurrentInput() {
    static std::string_view input;
    return input;
}

// Printable form of bytes: printable ASCII as is, everything else as \xNN.
inline std::string Escaped(std::string_view bytes) {
    std::string text;
    char code[8];
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 32 && b < 127 && b != '\\') {
            text.push_back(c);
        } else {
            std::snprintf(code, sizeof code, "\\x%02X", b);
            text += code;
        }
    }
    return text;
}

[[noreturn]] inline void Fail(const char* condition, const char* file, int line,
                              const std::string& detail) {
    std::fprintf(stderr, "\nProperty failed at %s:%d: %s\n  %s\n  input (%zu bytes): \"%s\"\n",
                 file, line, condition, detail.c_str(), CurrentInput().size(),
                 Escaped(CurrentInput()).c_str());
    std::abort();
}

// The detail expression is evaluated only when the property fails.
#define KESTRUM_PROPERTY(condition, detail)                                             \
    do {                                                                                \
        if (!(condition)) {                                                             \
            ::kestrum::fuzz::Fail(#condition, __FILE__, __LINE__, std::string(detail)); \
        }                                                                               \
    } while (0)

// "got \"...\" expected \"...\"" for two byte strings.
inline std::string GotExpected(std::string_view got, std::string_view expected) {
    return "got \"" + Escaped(got) + "\" expected \"" + Escaped(expected) + "\"";
}

// Splits a fuzz input into a leading control byte and the rest.
struct Split {
    std::uint8_t control = 0;
    std::string_view rest;
};

inline Split TakeControlByte(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    CurrentInput() = all;
    if (size == 0) {
        return {};
    }
    return {data[0], all.substr(1)};
}

inline DisplayMode ModeOf(unsigned selector) {
    switch (selector % 3) {
        case 0:
            return DisplayMode::Ascii;
        case 1:
            return DisplayMode::Hex;
        default:
            return DisplayMode::Decimal;
    }
}

inline std::string ModeName(DisplayMode mode) {
    return std::string(DisplayModeText(mode));
}

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Reference writers: one token per byte.
inline std::string HexOf(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
        text += ' ';
    }
    return text;
}

inline std::string DecimalOf(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += static_cast<char>('0' + b / 100);
        text += static_cast<char>('0' + b / 10 % 10);
        text += static_cast<char>('0' + b % 10);
        text += ' ';
    }
    return text;
}

// Reads text the system wrote in Hex or Decimal notation: every token is its digits followed
// by exactly one space. Hex tokens are two upper-case digits, or, when `wideHex` allows, three
// upper-case digits with a value from 256 to 999 (a Decimal value above 255 written in Hex).
// Decimal tokens are three decimal digits with a value up to 255. Returns nullopt, with the
// reason in `why`, when the text is not of that form.
inline std::optional<std::vector<int>> ReadWritten(std::string_view text, DisplayMode mode,
                                                   bool wideHex, std::string* why) {
    std::vector<int> values;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t space = text.find(' ', pos);
        if (space == std::string_view::npos) {
            *why = "token without its space at " + std::to_string(pos);
            return std::nullopt;
        }
        const std::string_view token = text.substr(pos, space - pos);
        int value = 0;
        if (mode == DisplayMode::Hex) {
            const bool wide = wideHex && token.size() == 3;
            if (token.size() != 2 && !wide) {
                *why = "Hex token of " + std::to_string(token.size()) + " characters at " +
                       std::to_string(pos);
                return std::nullopt;
            }
            for (const char c : token) {
                if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
                    *why =
                        "Hex token with a character other than 0-9 A-F at " + std::to_string(pos);
                    return std::nullopt;
                }
                value = value * 16 + HexDigit(c);
            }
            if (wide && (value < 256 || value > 999)) {
                *why = "three-digit Hex token outside 256..999 at " + std::to_string(pos);
                return std::nullopt;
            }
        } else {
            if (token.size() != 3) {
                *why = "Decimal token of " + std::to_string(token.size()) + " characters at " +
                       std::to_string(pos);
                return std::nullopt;
            }
            for (const char c : token) {
                if (c < '0' || c > '9') {
                    *why = "Decimal token with a non-digit at " + std::to_string(pos);
                    return std::nullopt;
                }
                value = value * 10 + (c - '0');
            }
            if (value > 255) {
                *why = "Decimal token above 255 at " + std::to_string(pos);
                return std::nullopt;
            }
        }
        values.push_back(value);
        pos = space + 1;
    }
    return values;
}

// Bytes of values that are all 0..255.
inline std::string BytesOf(const std::vector<int>& values) {
    std::string bytes;
    for (const int v : values) {
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}

}  // namespace kestrum::fuzz
