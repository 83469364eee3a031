// Kestrum: a serial-port test terminal.

#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "app/run_command.h"
#include "platform/command_line.h"
#include "platform/port_router.h"
#include "platform/prompts.h"
#include "platform/single_instance.h"
#include "session/app_state.h"
#include "storage/settings_store.h"
#include "ui/main/mainfrm.h"
#include "ui/main/tool_windows.h"

namespace {

int Print(const kestrum::CommandLineAnswer& answer) {
    std::fputs(answer.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(answer.standardError.toLocal8Bit().constData(), stderr);
    return answer.exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    // A sequence run needs no display, no window and no hand-over to a running instance.
    if (kestrum::WantsRun(argc, argv)) {
        return kestrum::RunCommand(argc, argv);
    }
    // --help and --version are answered before QApplication, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (const auto answer = kestrum::AnswerCommandLine(arguments, false)) {
        return Print(*answer);
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrum"));
    QApplication::setApplicationName(QStringLiteral("Kestrum"));
    // Ties the windows to the installed desktop entry and its icon (none in a build tree).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kestrum.Kestrum"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.kestrum.Kestrum")));
    // QApplication has taken its own options out; what is left unknown is a mistake.
    if (const auto answer = kestrum::AnswerCommandLine(QApplication::arguments(), true)) {
        return Print(*answer);
    }

    // A second start hands over to the running one and ends before showing anything.
    kestrum::SingleInstance instance;
    if (instance.HandOverToRunning()) {
        return 0;
    }

    kestrum::SettingsStore settings;
    kestrum::QtPrompts prompts;
    kestrum::PortRouter port(kestrum::DevicesFromSettings(settings));
    kestrum::AppState state;
    kestrum::Mainfrm window(state, settings, port, prompts);
    prompts.SetParent(&window);
    kestrum::ToolWindows tools(window);
    QObject::connect(&instance, &kestrum::SingleInstance::ActivateRequested, &window,
                     &kestrum::Mainfrm::RestoreAndActivate);

    window.Form_Load();
    window.show();
    if (!instance.IsRunningInstance()) {
        prompts.Message(QString::fromLatin1(kestrum::kMsgInstanceCheckFailed) +
                        instance.ErrorText());
    }
    return QApplication::exec();
}
