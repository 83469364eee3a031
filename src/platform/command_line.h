#pragma once
// The program's own command-line options, --help and --version. They are answered before
// QApplication exists (they need no display) and before the single-instance hand-over.

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrum {

// The options of a run without a window (`kestrum --run FILE ...`), as --help lists them.
inline constexpr auto kRunUsage =
    "Running a sequence without a window:\n"
    "  --run FILE           Runs the sequence file FILE (.ksq or .toml) and exits.\n"
    "  --device DEVICE      A device path, a /dev/serial/by-id name, rfc2217://HOST:PORT,\n"
    "                       socket://HOST:PORT, or a Com Port number 1-4. Given several\n"
    "                       times, the sequence runs on every device at once. Default: the\n"
    "                       device of the Com Port last used.\n"
    "  --settings SETTINGS  Line settings such as 9600,n,8,1, over those of the file.\n"
    "  --junit REPORT       Writes a JUnit XML report, one test suite per device.\n"
    "  --capture LOG        Writes the traffic as a capture log (one file per device).\n"
    "  --quiet              Prints the closing line only.\n"
    "Exit status: 0 every step passed; 1 a step failed, errored or was skipped; 2 wrong\n"
    "arguments or file, or no device could be opened.\n";

// "Kestrum 1.6.8": the name and the project's version.
QString VersionText();

struct CommandLineAnswer {
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
};

// What to print and the status to end with, or nullopt to start the program. `arguments`
// holds the program name first. --help (-h) and --version (-v) win over everything else.
// Positional arguments are ignored, as they always were. An unknown option gives the usage
// on standard error and status 2, but only once `qtOptionsRemoved`: before QApplication has
// taken its own options (-platform, -style, ...) out of the list, they are not known here.
std::optional<CommandLineAnswer> AnswerCommandLine(const QStringList& arguments,
                                                   bool qtOptionsRemoved);

}  // namespace kestrum
