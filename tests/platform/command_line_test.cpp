#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace kestrum {
namespace {

std::optional<CommandLineAnswer> Answer(QStringList arguments, bool qtOptionsRemoved) {
    arguments.prepend(QStringLiteral("kestrum"));
    return AnswerCommandLine(arguments, qtOptionsRemoved);
}

TEST(CommandLine, HelpAndVersionPrintAndEndWithStatusZeroBeforeAndAfterQt) {
    for (const bool qtOptionsRemoved : {false, true}) {
        for (const QStringList& help : {QStringList{"--help"}, QStringList{"-h"},
                                        QStringList{"-platform", "offscreen", "--bogus", "-h"}}) {
            const auto answer = Answer(help, qtOptionsRemoved);
            ASSERT_TRUE(answer.has_value()) << help.join(' ').toStdString();
            EXPECT_EQ(answer->exitCode, 0);
            EXPECT_TRUE(answer->standardOutput.startsWith("Usage: kestrum [options]\n"));
            EXPECT_TRUE(answer->standardOutput.contains("--version"));
            EXPECT_TRUE(answer->standardError.isEmpty());
        }
        for (const QStringList& version : {QStringList{"--version"}, QStringList{"-v"}}) {
            const auto answer = Answer(version, qtOptionsRemoved);
            ASSERT_TRUE(answer.has_value());
            EXPECT_EQ(answer->exitCode, 0);
            EXPECT_EQ(answer->standardOutput, "Kestrum " KESTRUM_VERSION "\n");
        }
    }
}

TEST(CommandLine, UnknownOptionsWaitForQtToTakeItsOwnThenEndWithStatusTwo) {
    // Reasons: Qt's options are not known here; "-reverse" is not -r -e -v...; a plain
    // argument was always ignored; nothing at all starts the program.
    for (const QStringList& arguments :
         {QStringList{"-platform", "offscreen"}, QStringList{"-reverse"}, QStringList{"--bogus"},
          QStringList{"file.cmd"}, QStringList{}}) {
        EXPECT_FALSE(Answer(arguments, false).has_value()) << arguments.join(' ').toStdString();
    }
    for (const QStringList& arguments : {QStringList{"file.cmd"}, QStringList{}}) {
        EXPECT_FALSE(Answer(arguments, true).has_value()) << arguments.join(' ').toStdString();
    }
    const auto unknown = Answer({"--bogus"}, true);
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(unknown->exitCode, 2);
    EXPECT_TRUE(unknown->standardOutput.isEmpty());
    EXPECT_TRUE(unknown->standardError.startsWith("Unknown option 'bogus'.\nUsage: kestrum"));
}

}  // namespace
}  // namespace kestrum
