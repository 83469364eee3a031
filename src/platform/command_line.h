#pragma once
// The program's own command-line options. The whole command line is read before QApplication
// exists, so that a mistake is answered without a display and before the single-instance
// hand-over; Qt's own options are recognised and left to QApplication.

#include <QString>
#include <QStringList>
#include <cstdio>
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

class SettingsStore;

// "Kestrum 1.6.8": the name and the project's version.
QString VersionText();

struct CommandLineAnswer {
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
};

// Said on standard error when another Kestrum is running: it is brought to the front as is.
inline constexpr auto kMsgStartDeviceNotApplied =
    "kestrum: Kestrum is already running; --device was not applied to it\n";

// --device DEV [--settings S] [--port N]: the window starts on DEV with S for Com Port N.
struct StartDevice {
    int port = 1;
    QString device;
    std::optional<QString> settings;  // "115200,n,8,1"; nullopt keeps the port's stored ones
};

struct CommandLine {
    std::optional<CommandLineAnswer> answer;  // print it and end: the window never starts
    std::optional<StartDevice> startDevice;
};

// `arguments` holds the program name first. --help (-h) and --version (-v) win over
// everything else. An unknown option, a positional argument, a bad --device, --settings or
// --port value, or a -platform that names no installed Qt platform plugin gives the usage on
// standard error and status 2. Without -platform, a QT_QPA_PLATFORM naming no installed plugin
// or no display to connect to gives the reason on standard error and status 1.
CommandLine ParseCommandLine(const QStringList& arguments);

// Stores the start device as a pick in Port Settings does (the port's device and line
// settings) and makes its port the selected one, so that start-up opens it.
void StoreStartDevice(const StartDevice& start, SettingsStore& settings);

// Writes the answer and returns its status; 1, with a message on `err`, when `out` cannot take
// the output (a closed or full standard output).
int PrintAnswer(const CommandLineAnswer& answer, std::FILE* out, std::FILE* err);

// An option or argument as it may be shown on a terminal: control characters written as
// escapes ("\x1b"), so that echoing a mistake cannot drive the terminal.
QString PrintableArgument(const QString& text);

}  // namespace kestrum
