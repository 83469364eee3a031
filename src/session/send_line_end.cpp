#include "session/send_line_end.h"

#include "session/line_control.h"
#include "storage/settings_store.h"

namespace kestrum {

namespace {

constexpr int kPortCount = 4;

// The line end's bytes in each notation, as the user would type them.
std::string LineEndText(LineEnd end, DisplayMode mode) {
    const bool cr = end == LineEnd::Cr || end == LineEnd::CrLf;
    const bool lf = end == LineEnd::Lf || end == LineEnd::CrLf;
    switch (mode) {
        case DisplayMode::Ascii:
            return std::string(cr ? "^M" : "") + (lf ? "^J" : "");
        case DisplayMode::Hex:
            return std::string(cr ? "0D " : "") + (lf ? "0A " : "");
        case DisplayMode::Decimal:
            return std::string(cr ? "013 " : "") + (lf ? "010 " : "");
    }
    return {};
}

}  // namespace

SendLineEnd::SendLineEnd(SettingsStore& settings, QObject* parent)
    : QObject(parent), settings_(settings) {}

LineEnd SendLineEnd::Of(int portNumber) {
    if (portNumber < 1 || portNumber > kPortCount) {
        return LineEnd::None;
    }
    const settings::SettingKey& key = settings::PortKey(settings::kPortLineEndOnSend, portNumber);
    const QString stored = settings_.GetSetting(key);
    for (std::size_t i = 0; i < line_end_text::kStored.size(); ++i) {
        if (stored.compare(QLatin1String(line_end_text::kStored[i]), Qt::CaseInsensitive) == 0) {
            return static_cast<LineEnd>(i);
        }
    }
    if (!warned_) {
        warned_ = true;
        emit Warning(
            QString::fromLatin1(line_text::kMsgBadStoredValue)
                .arg(settings::KeyName(key.name), stored, settings::KeyName(key.defaultValue)));
    }
    return LineEnd::None;
}

void SendLineEnd::Set(int portNumber, LineEnd end) {
    if (portNumber < 1 || portNumber > kPortCount) {
        return;
    }
    settings_.SaveSetting(
        settings::PortKey(settings::kPortLineEndOnSend, portNumber),
        QString::fromLatin1(line_end_text::kStored.at(static_cast<std::size_t>(end))));
    emit Changed();
}

std::string SendLineEnd::WithoutLineEnd(const std::string& sent, LineEnd end, DisplayMode mode) {
    const std::string suffix = LineEndText(end, mode);
    if (suffix.empty() || !sent.ends_with(suffix)) {
        return sent;
    }
    return sent.substr(0, sent.size() - suffix.size());
}

std::string SendLineEnd::Appended(const std::string& typed, LineEnd end, DisplayMode mode) {
    if (end == LineEnd::None) {
        return typed;
    }
    std::string text = typed;
    // A Hex or Decimal group typed without its closing space still ends where it stops.
    if (mode != DisplayMode::Ascii && !text.empty() && text.back() != ' ') {
        text += ' ';
    }
    return text + LineEndText(end, mode);
}

}  // namespace kestrum
