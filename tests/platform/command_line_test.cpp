#include "platform/command_line.h"

#include <gtest/gtest.h>

#include "kestrum_version.h"

namespace kestrum {
namespace {

std::optional<CommandLineAnswer> Answer(QStringList arguments, bool qtOptionsRemoved) {
    arguments.prepend(QStringLiteral("kestrum"));
    return AnswerCommandLine(arguments, qtOptionsRemoved);
}

TEST(CommandLine, HelpAndVersionEndWithStatusZeroWhateverElseIsGiven) {
    const auto help = Answer({"-platform", "offscreen", "--bogus", "-h"}, false);
    ASSERT_TRUE(help.has_value());
    EXPECT_EQ(help->exitCode, 0);
    EXPECT_TRUE(help->standardOutput.startsWith("Usage: kestrum [options]\n"));
    EXPECT_TRUE(help->standardOutput.contains("--run FILE")) << "the headless run is listed";
    const auto version = Answer({"--version"}, true);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->standardOutput,
              QStringLiteral("Kestrum %1\n").arg(QString::fromLatin1(kestrum::version::kText)));
}

TEST(CommandLine, UnknownOptionsWaitForQtToTakeItsOwnThenEndWithStatusTwo) {
    // Qt's options are not known before QApplication; "-reverse" is not -r -e -v ...; a plain
    // argument was always ignored.
    for (const QStringList& arguments :
         {QStringList{"-platform", "offscreen"}, QStringList{"-reverse"}, QStringList{"--bogus"}}) {
        EXPECT_FALSE(Answer(arguments, false).has_value()) << arguments.join(' ').toStdString();
    }
    EXPECT_FALSE(Answer({"file.cmd"}, true).has_value());
    const auto unknown = Answer({"--bogus"}, true);
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(unknown->exitCode, 2);
    EXPECT_TRUE(unknown->standardOutput.isEmpty());
    EXPECT_TRUE(unknown->standardError.startsWith("Unknown option 'bogus'.\nUsage: kestrum"));
}

}  // namespace
}  // namespace kestrum
