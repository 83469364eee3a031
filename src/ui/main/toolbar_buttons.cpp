#include "ui/main/toolbar_buttons.h"

#include <QString>

namespace kestrum {

QIcon ToolbarImage(int index) {
    static constexpr std::array<const char*, 12> kFiles{
        "open",      "save",          "print",     "clear",        "send",         "edit",
        "send_text", "port_settings", "connected", "disconnected", "process_crlf", "show_crlf"};
    if (index < 1 || index > static_cast<int>(kFiles.size())) {
        return {};
    }
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QString::fromLatin1(kFiles[index - 1])));
}

}  // namespace kestrum
