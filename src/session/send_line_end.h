#pragma once
// The line end that Send String and the command buttons append to what they send: none (as
// designed), CR, LF or CR LF, kept per port number in the settings store.

#include <QObject>
#include <QString>
#include <array>
#include <string>

#include "notation/byte_notation.h"
#include "storage/settings_keys.h"

namespace kestrum {

class SettingsStore;

enum class LineEnd { None, Cr, Lf, CrLf };

namespace line_end_text {
// Stored values and menu captions, in LineEnd order.
inline constexpr std::array<const char*, 4> kStored{"None", "CR", "LF", "CRLF"};
inline constexpr std::array<const char*, 4> kCaptions{"None", "CR", "LF", "CR LF"};
inline constexpr auto kMenuCaption = "Line End";
}  // namespace line_end_text

namespace settings {
inline constexpr std::array<SettingKey, 4> kPortLineEndOnSend{{
    {"LineEndOnSend1", "None"},
    {"LineEndOnSend2", "None"},
    {"LineEndOnSend3", "None"},
    {"LineEndOnSend4", "None"},
}};
}  // namespace settings

class SendLineEnd final : public QObject {
    Q_OBJECT
public:
    explicit SendLineEnd(SettingsStore& settings, QObject* parent = nullptr);

    // The choice of port 1..4 (None for any other number). A stored value that is none of
    // the four gives None, with one warning per run.
    LineEnd Of(int portNumber);
    void Set(int portNumber, LineEnd end);

    // `typed` (what the user typed, in `mode`'s notation) with the line end written in the
    // same notation after it, so that it is sent and echoed as if typed.
    static std::string Appended(const std::string& typed, LineEnd end, DisplayMode mode);
    // `sent` without the line end Appended gave it (unchanged when it has none).
    static std::string WithoutLineEnd(const std::string& sent, LineEnd end, DisplayMode mode);

signals:
    void Changed();
    void Warning(const QString& text);

private:
    SettingsStore& settings_;
    bool warned_ = false;
};

}  // namespace kestrum
