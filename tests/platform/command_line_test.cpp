#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "kestrum_version.h"
#include "storage/settings_store.h"

namespace kestrum {
namespace {

CommandLine Parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("kestrum"));
    return ParseCommandLine(arguments);
}

TEST(CommandLine, HelpAndVersionEndWithStatusZeroWhateverElseIsGiven) {
    const auto help = Parse({"-platform", "offscreen", "--bogus", "-h"}).answer;
    ASSERT_TRUE(help.has_value());
    EXPECT_EQ(help->exitCode, 0);
    EXPECT_TRUE(help->standardOutput.startsWith("Usage: kestrum [options]\n"));
    EXPECT_TRUE(help->standardOutput.contains("--device <DEV>"));
    EXPECT_TRUE(help->standardOutput.contains("--run FILE")) << "the headless run is listed";
    EXPECT_FALSE(help->standardOutput.contains("platformtheme")) << "Qt's options stay Qt's";
    const auto version = Parse({"--version"}).answer;
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->standardOutput,
              QStringLiteral("Kestrum %1\n").arg(QString::fromLatin1(kestrum::version::kText)));
}

TEST(CommandLine, MistakesGiveTheUsageOnStandardErrorAndStatusTwo) {
    struct Case {
        QStringList arguments;
        const char* firstLine;  // nullptr: the window starts
    };
    const Case cases[] = {
        {{"-platform", "offscreen", "-reverse", "-style=fusion"}, nullptr},
        {{"--bogus"}, "Unknown option 'bogus'."},
        {{"--\x1b[31m"}, "Unknown option '\\x1b[31m'."},
        {{"file.cmd"}, "Unexpected argument 'file.cmd': Kestrum takes options only."},
        {{"-platform", "junk"}, "No Qt platform plugin named 'junk' (installed: "},
        {{"--device", " "}, "--device needs the device to open"},
        {{"--device", "/dev/ttyUSB0", "--settings", "115200,x,8,1"}, "--settings takes baud"},
        {{"--device", "/dev/ttyUSB0", "--port", "5"}, "--port takes a Com Port number"},
        {{"--settings", "9600,n,8,1"}, "--settings and --port need --device."},
        {{"--device", "rfc2217://nohost"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const std::optional<CommandLineAnswer> answer = Parse(c.arguments).answer;
        ASSERT_EQ(answer.has_value(), c.firstLine != nullptr);
        if (answer) {
            EXPECT_EQ(answer->exitCode, 2);
            EXPECT_TRUE(answer->standardOutput.isEmpty());
            EXPECT_TRUE(answer->standardError.startsWith(c.firstLine));
            EXPECT_TRUE(answer->standardError.contains("\nUsage: kestrum [options]\n"));
            EXPECT_FALSE(answer->standardError.contains('\x1b'));
        }
    }
}

TEST(CommandLine, StartDeviceIsStoredAsAPortSettingsPick) {
    const CommandLine line =
        Parse({"--device", "/dev/ttyUSB0", "--settings", "115200,N,8,1", "--port", "3"});
    ASSERT_FALSE(line.answer.has_value());
    ASSERT_TRUE(line.startDevice.has_value());
    QTemporaryDir folder;
    SettingsStore store(folder.filePath("k.ini"));
    StoreStartDevice(*line.startDevice, store);
    EXPECT_EQ(store.GetSetting("Commport", ""), "3");
    EXPECT_EQ(store.GetSetting("Device3", ""), "/dev/ttyUSB0");
    EXPECT_EQ(store.GetSetting("CommPort3", ""), "115200,n,8,1");
}

}  // namespace
}  // namespace kestrum
