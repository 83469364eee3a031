#pragma once
// The widget boundary: one byte per character, byte n shown as the Latin-1 character n.

#include <QString>
#include <string>
#include <string_view>

namespace kestrum {

inline QString FromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ToBytes(const QString& text) {
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

// False when some character has no Latin-1 code and so no byte of its own.
inline bool IsLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

}  // namespace kestrum
