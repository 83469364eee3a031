#include "app/run_command.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "platform/command_line.h"
#include "platform/port_router.h"
#include "platform/port_settings.h"
#include "platform/shutdown_signals.h"
#include "session/sequence/sequence_file.h"
#include "session/sequence/sequence_runner.h"
#include "storage/settings_keys.h"
#include "storage/settings_store.h"

namespace kestrum {
namespace {

constexpr auto kBadSettings = "Error - --settings %1 is not line settings such as 9600,n,8,1";
constexpr auto kUnexpected = "Error - Unexpected argument %1";
constexpr auto kNoDevice = "Error - No device could be opened";
constexpr auto kOptions =
    "--run FILE [--device DEVICE]... [--settings 9600,n,8,1] "
    "[--junit REPORT.xml] [--capture LOG] [--quiet]";

void Out(const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void Err(const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

// Where a --device, or none, sends the run: the device and the port number it is opened as.
struct Target {
    QString device;
    int portNumber = 1;
    bool numbered = false;  // a Com Port number (given or the last used), not a device
    DeviceLookup lookup;
};

Target ResolveDevice(const QString& argument, const SettingsStore& store) {
    bool isNumber = false;
    int number = argument.isEmpty() ? store.GetSetting(settings::kCommPort).toInt(&isNumber)
                                    : argument.toInt(&isNumber);
    if (argument.isEmpty() || (isNumber && number >= 1 && number <= 4)) {
        if (!isNumber || number < 1 || number > 4) {
            number = 1;
        }
        DeviceLookup lookup = DevicesFromSettings(store);
        return {lookup(number), number, true, lookup};
    }
    return {argument, 1, false, [argument](int) { return argument; }};
}

// --settings, else the file's, else the stored ones of a numbered port.
QString LineSettings(const std::optional<QString>& given, const Sequence& sequence,
                     const Target& target, const SettingsStore& store) {
    if (given) {
        return *given;
    }
    if (sequence.settings) {
        return *sequence.settings;
    }
    if (target.numbered) {
        return store.GetSetting(settings::kPortLineSettings[target.portNumber - 1]);
    }
    return QString::fromLatin1(settings::kLineSettingsDefault.data(),
                               settings::kLineSettingsDefault.size());
}

// "run.log" for one device; "run-1.log", "run-2.log" for several.
QString CapturePath(const QString& path, int index, int count) {
    if (count == 1) {
        return path;
    }
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.dir().filePath(
        QStringLiteral("%1-%2%3").arg(info.completeBaseName()).arg(index).arg(suffix));
}

}  // namespace

bool WantsRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--run") == 0 || std::strncmp(argv[i], "--run=", 6) == 0) {
            return true;
        }
    }
    return false;
}

int RunCommand(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrum"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestrum"));

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption run(QStringLiteral("run"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption device(QStringLiteral("device"), QString(), QStringLiteral("DEVICE"));
    const QCommandLineOption lineSettings(QStringLiteral("settings"), QString(),
                                          QStringLiteral("SETTINGS"));
    const QCommandLineOption junit(QStringLiteral("junit"), QString(), QStringLiteral("REPORT"));
    const QCommandLineOption capture(QStringLiteral("capture"), QString(), QStringLiteral("LOG"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QString());
    parser.addOptions({help, run, device, lineSettings, junit, capture, quiet});
    const QString usage = QStringLiteral("Usage: kestrum %1\n\n%2")
                              .arg(QString::fromLatin1(kOptions), QString::fromLatin1(kRunUsage));
    if (!parser.parse(QCoreApplication::arguments())) {
        Err(parser.errorText() + QLatin1Char('\n') + usage);
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(usage.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Err(QString::fromLatin1(kUnexpected).arg(parser.positionalArguments().front()));
        return 2;
    }

    const SequenceLoad load = LoadSequenceFile(parser.value(run));
    if (!load.sequence) {
        Err(load.error.Text());
        return 2;
    }
    const auto sequence = std::make_shared<const Sequence>(*load.sequence);
    std::optional<QString> givenSettings;
    if (parser.isSet(lineSettings)) {
        givenSettings = parser.value(lineSettings);
        if (!PortSettingsString::Parse(*givenSettings)) {
            Err(QString::fromLatin1(kBadSettings).arg(*givenSettings));
            return 2;
        }
    }

    // Only read: the run changes nothing the window keeps.
    const SettingsStore store;
    QStringList devices = parser.values(device);
    if (devices.isEmpty()) {
        devices.append(QString());
    }
    std::vector<std::unique_ptr<SequenceRunner>> runners;
    const bool several = devices.size() > 1;
    int finished = 0;
    for (const QString& argument : devices) {
        const Target target = ResolveDevice(argument, store);
        auto port = std::make_unique<PortRouter>(target.lookup);
        port->SetCommPort(target.portNumber);
        // Applied to the closed port, they are kept for the open (their form was checked).
        port->ApplySettings(LineSettings(givenSettings, *sequence, target, store));
        auto runner =
            std::make_unique<SequenceRunner>(sequence, target.device, std::move(port), store);
        const QString prefix = several ? target.device + QStringLiteral(": ") : QString();
        if (!parser.isSet(quiet)) {
            QObject::connect(
                runner.get(), &SequenceRunner::StepDone,
                [prefix](const StepVerdict& verdict) { Out(prefix + StepLine(verdict)); });
        }
        QObject::connect(runner.get(), &SequenceRunner::Notice,
                         [device = target.device](const QString& text) {
                             Err(device + QStringLiteral(": ") + text);
                         });
        QObject::connect(runner.get(), &SequenceRunner::RunFinished, &app, [&] {
            if (++finished == static_cast<int>(runners.size())) {
                QCoreApplication::quit();
            }
        });
        if (parser.isSet(capture)) {
            const QString path =
                CapturePath(parser.value(capture), static_cast<int>(runners.size()) + 1,
                            static_cast<int>(devices.size()));
            if (const auto refused = runner->CaptureTo(path)) {
                Err(*refused);
                return 2;
            }
        }
        runners.push_back(std::move(runner));
    }

    // Ctrl+C, SIGTERM and SIGHUP stop the run from the event loop; the report is still written.
    const ShutdownSignals stopSignals([&runners] {
        for (const auto& runner : runners) {
            runner->Interrupt();
        }
    });

    for (const auto& runner : runners) {
        QObject::connect(runner.get(), &SequenceRunner::OpenFailed,
                         [device = runner->Device()](const QString& message) {
                             Err(device + QStringLiteral(": ") + message);
                         });
        runner->Open();
    }
    if (finished < static_cast<int>(runners.size())) {
        QCoreApplication::exec();
    }

    Counts total;
    std::vector<SuiteRecord> suites;
    for (const auto& runner : runners) {
        const Counts counts = CountSuite(runner->Suite());
        if (several && !parser.isSet(quiet)) {
            Out(runner->Device() + QStringLiteral(": ") + ClosingLine(counts));
        }
        total += counts;
        suites.push_back(runner->Suite());
    }
    Out(ClosingLine(total));
    int status = total.AllPassed() ? 0 : 1;
    if (parser.isSet(junit)) {
        QString error;
        if (!WriteJUnit(parser.value(junit), suites, &error)) {
            Err(error);
            status = 2;
        }
    }
    const bool opened = std::any_of(runners.begin(), runners.end(),
                                    [](const auto& runner) { return runner->WasOpened(); });
    if (!opened) {
        Err(QString::fromLatin1(kNoDevice));
        status = 2;
    }
    return status;
}

}  // namespace kestrum
