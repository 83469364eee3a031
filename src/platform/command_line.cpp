#include "platform/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/network/port_url.h"
#include "platform/port_settings.h"
#include "storage/settings_keys.h"
#include "storage/settings_store.h"

#include "kestrum_version.h"

namespace kestrum {
namespace {

constexpr int kStatusBadArguments = 2;
constexpr int kStatusNoWindow = 1;
constexpr int kStatusOutputFailed = 1;
constexpr int kPortCount = 4;

// QGuiApplication's and QApplication's own options, taking a value or not. They are accepted
// here and left in the argument list for QApplication.
constexpr std::array kQtValueOptions{"platform",
                                     "platformpluginpath",
                                     "platformtheme",
                                     "plugin",
                                     "qwindowgeometry",
                                     "geometry",
                                     "qwindowicon",
                                     "icon",
                                     "qwindowtitle",
                                     "title",
                                     "session",
                                     "display",
                                     "name",
                                     "style",
                                     "stylesheet",
                                     "qmljsdebugger"};
constexpr std::array kQtFlagOptions{"reverse", "widgetcount", "testability",
                                    "nograb",  "dograb",      "sync"};

// Qt's own help text starts "Usage: <executable_name>" when no QCoreApplication exists yet.
QString UsageText(const QCommandLineParser& parser) {
    const QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: kestrum [options]\n       kestrum --run FILE [options]") +
           text.mid(firstLineEnd) + QLatin1Char('\n') + QString::fromLatin1(kRunUsage) +
           QStringLiteral(
               "\nQt's own options (-platform, -style, -reverse, ...) are accepted as well.\n"
               "Settings: ~/.config/Kestrum/Kestrum.ini. More in kestrum(1) and Help > Kestrum "
               "Help.\n");
}

// The platform plugins Qt would find, by the keys their metadata names; read without loading.
QStringList PlatformPluginKeys(const QString& pluginPath) {
    QStringList folders;
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        folders.append(folder + QStringLiteral("/platforms"));
    }
    folders.append(qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"));
    folders.append(pluginPath);
    QStringList keys;
    for (const QString& folder : folders) {
        if (folder.isEmpty()) {
            continue;
        }
        const QDir platforms(folder);
        for (const QString& file : platforms.entryList(QDir::Files)) {
            const QJsonObject meta = QPluginLoader(platforms.filePath(file)).metaData();
            for (const QJsonValue key : meta.value(QStringLiteral("MetaData"))
                                            .toObject()
                                            .value(QStringLiteral("Keys"))
                                            .toArray()) {
                keys.append(key.toString().toLower());
            }
        }
    }
    keys.removeDuplicates();
    keys.sort();
    return keys;
}

// Why Qt could show no window when no -platform is given, read from the environment as Qt
// reads it (where Qt would abort); nothing when it can.
std::optional<QString> NoWindowReason() {
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!chosen.isEmpty()) {
        const QStringList installed = PlatformPluginKeys({});
        for (const QString& entry : chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (installed.contains(entry.section(QLatin1Char(':'), 0, 0).toLower())) {
                return std::nullopt;
            }
        }
        return QStringLiteral("No Qt platform plugin named '%1' (QT_QPA_PLATFORM; installed: %2).")
            .arg(PrintableArgument(chosen), installed.join(QStringLiteral(", ")));
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return QStringLiteral(
            "No display to show the window on: neither DISPLAY nor WAYLAND_DISPLAY is set "
            "(kestrum --run needs none).");
    }
    return std::nullopt;
}

// Why the values of --device, --settings and --port cannot start the window, or nothing.
std::optional<QString> StartDeviceProblem(const QCommandLineParser& parser, StartDevice& start) {
    const QString device = parser.value(QStringLiteral("device")).trimmed();
    if (device.isEmpty()) {
        return QStringLiteral("--device needs the device to open, for example /dev/ttyUSB0.");
    }
    if (const std::optional<QString> problem = NetworkDeviceProblem(device)) {
        return *problem;
    }
    start.device = device;
    if (parser.isSet(QStringLiteral("settings"))) {
        const auto settings = PortSettingsString::Parse(parser.value(QStringLiteral("settings")));
        if (!settings) {
            return QStringLiteral(
                "--settings takes baud, parity, data bits and stop bits, for "
                "example 115200,n,8,1.");
        }
        start.settings = settings->Format();
    }
    if (parser.isSet(QStringLiteral("port"))) {
        bool number = false;
        start.port = parser.value(QStringLiteral("port")).toInt(&number);
        if (!number || start.port < 1 || start.port > kPortCount) {
            return QStringLiteral("--port takes a Com Port number from 1 to 4.");
        }
    }
    return std::nullopt;
}

CommandLineAnswer Refusal(const QString& why, const QCommandLineParser& parser) {
    return {
        kStatusBadArguments, {}, PrintableArgument(why) + QLatin1Char('\n') + UsageText(parser)};
}

}  // namespace

QString VersionText() {
    return QStringLiteral("Kestrum ") + QString::fromLatin1(version::kText);
}

QString PrintableArgument(const QString& text) {
    QString shown;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0)) {
            shown += QStringLiteral("\\x%1").arg(static_cast<int>(code), 2, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-reverse" is one of Qt's options, not -r -e -v ... with a -v for --version in it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Kestrum, a serial-port test terminal: sends strings written in Ascii, "
                       "Hex or Decimal\nnotation and shows every byte sent and received."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption({QStringLiteral("device"),
                      QStringLiteral("Starts on this device (a path, rfc2217://HOST:PORT or "
                                     "socket://HOST:PORT)\nfor Com Port 1, stored as a pick "
                                     "in Port Settings is."),
                      QStringLiteral("DEV")});
    parser.addOption({QStringLiteral("settings"),
                      QStringLiteral("With --device: the line settings, for example "
                                     "115200,n,8,1."),
                      QStringLiteral("S")});
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("With --device: the Com Port (1 to 4) to start on instead "
                                     "of 1."),
                      QStringLiteral("N")});
    for (const char* name : kQtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    const bool known = parser.parse(arguments);
    if (parser.isSet(help)) {
        return {CommandLineAnswer{0, UsageText(parser), {}}, std::nullopt};
    }
    if (parser.isSet(version)) {
        return {CommandLineAnswer{0, VersionText() + QLatin1Char('\n'), {}}, std::nullopt};
    }
    if (!known) {
        return {Refusal(parser.errorText(), parser), std::nullopt};
    }
    if (!parser.positionalArguments().isEmpty()) {
        return {Refusal(QStringLiteral("Unexpected argument '%1': Kestrum takes options only.")
                            .arg(parser.positionalArguments().constFirst()),
                        parser),
                std::nullopt};
    }
    if (parser.isSet(QStringLiteral("platform"))) {
        // Qt aborts on a platform it cannot load; a typo deserves the usage instead.
        const QString platform =
            parser.value(QStringLiteral("platform")).section(QLatin1Char(':'), 0, 0).toLower();
        const QStringList installed =
            PlatformPluginKeys(parser.value(QStringLiteral("platformpluginpath")));
        if (!installed.contains(platform)) {
            return {Refusal(QStringLiteral("No Qt platform plugin named '%1' (installed: %2).")
                                .arg(platform, installed.join(QStringLiteral(", "))),
                            parser),
                    std::nullopt};
        }
    } else if (const std::optional<QString> reason = NoWindowReason()) {
        return {
            CommandLineAnswer{kStatusNoWindow, {}, QStringLiteral("kestrum: ") + *reason + '\n'},
            std::nullopt};
    }
    const bool startOption =
        parser.isSet(QStringLiteral("settings")) || parser.isSet(QStringLiteral("port"));
    if (!parser.isSet(QStringLiteral("device"))) {
        if (startOption) {
            return {Refusal(QStringLiteral("--settings and --port need --device."), parser),
                    std::nullopt};
        }
        return {};
    }
    StartDevice start;
    if (const std::optional<QString> problem = StartDeviceProblem(parser, start)) {
        return {Refusal(*problem, parser), std::nullopt};
    }
    return {std::nullopt, start};
}

void StoreStartDevice(const StartDevice& start, SettingsStore& settings) {
    settings.SaveSetting(settings::kCommPort, QString::number(start.port));
    settings.SaveSetting(settings::PortDeviceKey(start.port), start.device);
    if (start.settings) {
        settings.SaveSetting(settings::PortLineSettingsKey(start.port), *start.settings);
    }
}

int PrintAnswer(const CommandLineAnswer& answer, std::FILE* out, std::FILE* err) {
    const QByteArray output = answer.standardOutput.toLocal8Bit();
    errno = 0;
    const bool written = std::fwrite(output.constData(), 1, static_cast<std::size_t>(output.size()),
                                     out) == static_cast<std::size_t>(output.size()) &&
                         std::fflush(out) == 0;
    if (!written) {
        std::fprintf(err, "kestrum: cannot write to standard output: %s\n",
                     std::strerror(errno != 0 ? errno : EIO));
        return kStatusOutputFailed;
    }
    std::fputs(answer.standardError.toLocal8Bit().constData(), err);
    std::fflush(err);
    return answer.exitCode;
}

}  // namespace kestrum
