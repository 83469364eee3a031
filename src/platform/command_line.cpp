#include "platform/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "kestrum_version.h"

namespace kestrum {
namespace {

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

}  // namespace

QString VersionText() {
    return QStringLiteral("Kestrum ") + QString::fromLatin1(version::kText);
}

std::optional<CommandLineAnswer> AnswerCommandLine(const QStringList& arguments,
                                                   bool qtOptionsRemoved) {
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

    const bool known = parser.parse(arguments);
    if (parser.isSet(help)) {
        return CommandLineAnswer{0, UsageText(parser), {}};
    }
    if (parser.isSet(version)) {
        return CommandLineAnswer{0, VersionText() + QLatin1Char('\n'), {}};
    }
    if (!known && qtOptionsRemoved) {
        return CommandLineAnswer{2, {}, parser.errorText() + QLatin1Char('\n') + UsageText(parser)};
    }
    return std::nullopt;
}

}  // namespace kestrum
