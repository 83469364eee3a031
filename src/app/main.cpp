// Kestrum: a serial-port test terminal.

#include <QApplication>

#include "platform/prompts.h"
#include "platform/qt_serial_port.h"
#include "platform/single_instance.h"
#include "session/app_state.h"
#include "storage/settings_store.h"
#include "ui/main/mainfrm.h"
#include "ui/main/tool_windows.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrum"));
    QApplication::setApplicationName(QStringLiteral("Kestrum"));

    // A second start hands over to the running one and ends before showing anything.
    kestrum::SingleInstance instance;
    if (instance.HandOverToRunning()) {
        return 0;
    }

    kestrum::SettingsStore settings;
    kestrum::QtPrompts prompts;
    kestrum::QtSerialPort port(kestrum::DevicesFromSettings(settings));
    kestrum::AppState state;
    kestrum::Mainfrm window(state, settings, port, prompts);
    prompts.SetParent(&window);
    kestrum::ToolWindows tools(window);
    QObject::connect(&instance, &kestrum::SingleInstance::ActivateRequested, &window,
                     &kestrum::Mainfrm::RestoreAndActivate);

    window.Form_Load();
    window.show();
    return QApplication::exec();
}
