// Kestrum: a serial-port test terminal.

#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "app/run_command.h"
#include "platform/command_line.h"
#include "platform/port_router.h"
#include "platform/prompts.h"
#include "platform/shutdown_signals.h"
#include "platform/single_instance.h"
#include "session/app_state.h"
#include "storage/settings_store.h"
#include "ui/main/mainfrm.h"
#include "ui/main/tool_windows.h"

int main(int argc, char** argv) {
    // A write past the file size limit fails and is reported instead of ending the program.
    kestrum::IgnoreFileSizeSignal();
    // A sequence run needs no display, no window and no hand-over to a running instance.
    if (kestrum::WantsRun(argc, argv)) {
        return kestrum::RunCommand(argc, argv);
    }
    // The command line is answered before QApplication, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const kestrum::CommandLine commandLine = kestrum::ParseCommandLine(arguments);
    if (commandLine.answer) {
        return kestrum::PrintAnswer(*commandLine.answer, stdout, stderr);
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrum"));
    QApplication::setApplicationName(QStringLiteral("Kestrum"));
    // Ties the windows to the installed desktop entry and its icon (none in a build tree).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kestrum.Kestrum"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.kestrum.Kestrum")));

    // A second start hands over to the running one and ends before showing anything.
    kestrum::SingleInstance instance;
    if (instance.HandOverToRunning()) {
        if (commandLine.startDevice) {
            // The running window keeps its port; a silent hand-over would look like success.
            std::fputs(kestrum::kMsgStartDeviceNotApplied, stderr);
        }
        return 0;
    }

    kestrum::SettingsStore settings;
    if (commandLine.startDevice) {
        kestrum::StoreStartDevice(*commandLine.startDevice, settings);
    }
    kestrum::QtPrompts prompts;
    kestrum::PortRouter port(kestrum::DevicesFromSettings(settings));
    kestrum::AppState state;
    kestrum::Mainfrm window(state, settings, port, prompts);
    prompts.SetParent(&window);
    kestrum::ToolWindows tools(window);
    // Declared after the window, so gone before it: an exit() past main's end runs nothing.
    kestrum::ShutdownSignals shutdown([&window] { window.Form_QueryUnload(); });
    QObject::connect(&instance, &kestrum::SingleInstance::ActivateRequested, &window,
                     &kestrum::Mainfrm::RestoreAndActivate);

    window.Form_Load();
    window.show();
    if (!instance.IsRunningInstance()) {
        prompts.Message(QString::fromLatin1(kestrum::kMsgInstanceCheckFailed) +
                        instance.ErrorText());
    }
    // A signal during a start-up message has ended the session already; exec() would forget it.
    return shutdown.ShutDown() ? 0 : QApplication::exec();
}
