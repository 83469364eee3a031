#include "platform/port_settings.h"

#include <QList>
#include <array>
#include <limits>

namespace kestrum {
namespace {

constexpr std::array<char, 5> kParityLetters{'n', 'o', 'e', 'm', 's'};  // in Parity order

// A decimal number of ASCII digits only (no sign, no spaces), or nullopt.
std::optional<long long> Digits(QStringView text) {
    if (text.isEmpty() || text.size() > 10) {
        return std::nullopt;
    }
    long long value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

}  // namespace

std::optional<PortSettingsString> PortSettingsString::Parse(QStringView text) {
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4) {
        return std::nullopt;
    }
    const std::optional<long long> baud = Digits(fields[0]);
    const std::optional<long long> dataBits = Digits(fields[2]);
    const std::optional<long long> stopBits = Digits(fields[3]);
    if (!baud || *baud <= 0 || *baud > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    if (!dataBits || *dataBits < 5 || *dataBits > 8) {
        return std::nullopt;
    }
    if (!stopBits || (*stopBits != 1 && *stopBits != 2)) {
        return std::nullopt;
    }
    if (fields[1].size() != 1) {
        return std::nullopt;
    }
    const QChar letter = fields[1][0].toLower();
    for (std::size_t i = 0; i < kParityLetters.size(); ++i) {
        if (letter == QLatin1Char(kParityLetters[i])) {
            return PortSettingsString{static_cast<int>(*baud), static_cast<Parity>(i),
                                      static_cast<int>(*dataBits), static_cast<int>(*stopBits)};
        }
    }
    return std::nullopt;
}

QString PortSettingsString::Format() const {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baud)
        .arg(QLatin1Char(kParityLetters[static_cast<std::size_t>(parity)]))
        .arg(dataBits)
        .arg(stopBits);
}

}  // namespace kestrum
