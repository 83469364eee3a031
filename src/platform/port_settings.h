#pragma once
// The port's line settings string, "9600,n,8,1": baud rate, parity letter, data bits and
// stop bits joined by commas. Parsed and formatted here and nowhere else.

#include <QString>
#include <QStringView>
#include <optional>

namespace kestrum {

enum class Parity { None, Odd, Even, Mark, Space };  // letters n o e m s

struct PortSettingsString {
    int baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;  // 5..8
    int stopBits = 1;  // 1 or 2

    // Exactly four comma-separated fields, no spaces: a positive decimal baud rate, one
    // parity letter of "noems" (either case), data bits 5 to 8, stop bits 1 or 2. Anything
    // else gives nullopt.
    static std::optional<PortSettingsString> Parse(QStringView text);

    // "9600,n,8,1": parity letter in lower case, so the last five characters are the format
    // part ("n,8,1") that the format list shows.
    QString Format() const;

    bool operator==(const PortSettingsString&) const = default;
};

}  // namespace kestrum
