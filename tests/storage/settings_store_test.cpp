#include "storage/settings_store.h"

#include "storage/file_size_limit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace kestrum {
namespace {

using namespace kestrum::settings;

class SettingsStoreTest : public ::testing::Test {
protected:
    QString IniPath() const { return dir_.filePath("Kestrum.ini"); }

    // Key names as they stand in the file's "Properties" section.
    QStringList StoredKeys() const {
        QSettings raw(IniPath(), QSettings::IniFormat);
        raw.beginGroup("Properties");
        return raw.childKeys();
    }

    // A hand-edited file `name` in the test's folder; returns its path.
    QString WriteIni(const QString& name, const QByteArray& text) const {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }

    QTemporaryDir dir_;
};

// Port 1's number, line settings, notation and Process Cr/Lf defaults are what the main
// window's start-up on an empty store shows (PortStartTest), the checksum type's what the
// calculator selects with nothing stored (CheckfrmTest); the rest only show here.
TEST_F(SettingsStoreTest, EmptyStoreGivesEveryDefault) {
    const SettingsStore store(IniPath());
    const std::pair<SettingKey, const char*> cases[] = {
        {kPortLineSettings[3], "9600,n,8,1"},
        {kFiletypeTextSender, "Ascii"},
        {kCommandFileName, "Default.cmd"},
        {kLineDelay, "0"},
        {kByteDelay, "0"},
        {kTextFile, ""},
#ifdef _WIN32
        {kPortDevices[0], "COM1"},
        {kPortDevices[3], "COM4"},
#else
        {kPortDevices[0], "/dev/ttyS0"},
        {kPortDevices[3], "/dev/ttyS3"},
#endif
    };
    for (const auto& [key, expected] : cases) {
        EXPECT_EQ(store.GetSetting(key), QString::fromLatin1(expected)) << key.name;
    }
    EXPECT_EQ(store.GetSetting(KeyName(kDirectoryKey), DefaultDirectory()),
              QCoreApplication::applicationDirPath());
    EXPECT_FALSE(QFile::exists(IniPath())) << "reading creates nothing";
}

TEST_F(SettingsStoreTest, KeyNamesMatchWithoutRegardToCase) {
    SettingsStore store(IniPath());
    ASSERT_TRUE(store.SaveSetting(kCommPort, "3"));
    EXPECT_EQ(store.GetSetting(kCommPortAtStart), "3");
    EXPECT_EQ(store.GetSetting("COMMPORT", "1"), "3");

    // The start-up reader's spelling written later replaces the earlier key: one key left.
    ASSERT_TRUE(store.SaveSetting("Commport", "4"));
    EXPECT_EQ(store.GetSetting(kCommPort), "4");
    EXPECT_EQ(StoredKeys(), QStringList{"Commport"});
}

TEST_F(SettingsStoreTest, ValuesSurviveANewStoreOnTheSameFile) {
    {
        SettingsStore store(IniPath());
        ASSERT_TRUE(store.SaveSetting(PortLineSettingsKey(2), "19200,e,7,1"));
        ASSERT_TRUE(store.SaveSetting(kTextFile, QString::fromUtf8("/tmp/a b/caf\u00e9.txt")));
        ASSERT_TRUE(store.SaveSetting(kProcessCrLf, "1"));
    }
    const SettingsStore reopened(IniPath());
    EXPECT_EQ(reopened.GetSetting(kPortLineSettings[1]), "19200,e,7,1");
    EXPECT_EQ(reopened.GetSetting(kPortLineSettings[0]), "9600,n,8,1") << "other ports untouched";
    EXPECT_EQ(reopened.GetSetting(kTextFile), QString::fromUtf8("/tmp/a b/caf\u00e9.txt"));
    EXPECT_EQ(reopened.GetSetting("process", "0"), "1");
}

TEST_F(SettingsStoreTest, AFailedWriteIsDetectedAndLaterWritesSucceed) {
    // Each kind of unwritable file is UnwritableSettingsTest's; here a failure that passes.
    SettingsStore store(IniPath());
    ASSERT_TRUE(store.SaveSetting(kCommPort, "2"));
    {
        FileSizeLimit limit(8);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(store.SaveSetting(kTextFile, QString(100, 'x')));
    }
    // A failure must not stick to the store: the next write reports its own outcome.
    EXPECT_TRUE(store.SaveSetting(kByteDelay, "100"));
    EXPECT_EQ(SettingsStore(IniPath()).GetSetting(kByteDelay), "100");
}

TEST_F(SettingsStoreTest, HandEditedFilesAreReadAsWrittenAndStillTakeWrites) {
    // Unquoted, an INI reader would make a list of it.
    const QString comma = WriteIni("comma.ini", "[Properties]\ncommport2=19200,e,7,1\n");
    EXPECT_EQ(SettingsStore(comma).GetSetting(kPortLineSettings[1]), "19200,e,7,1");

    const QString broken = WriteIni("broken.ini", "[Properties\nFilename=\"unterminated\n");
    EXPECT_TRUE(SettingsStore(broken).SaveSetting(KeyName(kDirectoryKey), "/home/u/A.cmd"));
    EXPECT_EQ(SettingsStore(broken).GetSetting(KeyName(kDirectoryKey), ""), "/home/u/A.cmd");
}

}  // namespace
}  // namespace kestrum
