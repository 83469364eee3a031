#pragma once
// The program's own command-line options, --help and --version. They are answered before
// QApplication exists (they need no display) and before the single-instance hand-over.

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrum {

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
