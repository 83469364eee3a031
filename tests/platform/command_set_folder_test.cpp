// Where command sets and the read-only data are found, in a build tree and once installed.
// Tests run as root, whom no permission bit stops: the rule is driven through its predicate,
// and the real predicate is checked on paths no one can create a file in.

#include "platform/command_set_folder.h"
#include "platform/data_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace kestrum {
namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class CommandSetFolderTest : public ::testing::Test {
protected:
    CommandSetDefaults Choose(bool executableFolderWritable) {
        return ChooseCommandSetDefaults(bin_, user_, demo_, [&](const QString& folder) {
            EXPECT_EQ(folder, bin_);
            return executableFolderWritable;
        });
    }

    QTemporaryDir root_;
    QString bin_ = root_.filePath("usr/bin");
    QString user_ = root_.filePath("home/.local/share/Kestrum");
    QString demo_ = root_.filePath("usr/share/kestrum/examples/loopback-demo.cmd");

    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(bin_));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(demo_).path()));
        Write(demo_,
              "Demo\x1E"
              "41 \r\n");
        QFile::setPermissions(demo_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
};

TEST_F(CommandSetFolderTest, AWritableExecutableFolderKeepsItsDefaultsAndTouchesNothing) {
    const CommandSetDefaults defaults = Choose(true);
    EXPECT_EQ(defaults.directory, bin_);
    EXPECT_EQ(defaults.fileName, "Default.cmd") << "relative: the current folder, as always";
    EXPECT_FALSE(QFileInfo::exists(user_));
}

TEST_F(CommandSetFolderTest, OtherwiseThePerUserFolderIsSeededWithTheDemoOnItsFirstStartOnly) {
    const QString target = QDir(user_).filePath("Default.cmd");
    const CommandSetDefaults first = Choose(false);
    EXPECT_EQ(first.directory, user_);
    EXPECT_EQ(first.fileName, target);
    EXPECT_EQ(Bytes(target), Bytes(demo_));
    EXPECT_TRUE(QFileInfo(target).permissions() & QFile::WriteOwner)
        << "the demo was read-only; the user's copy must be editable";

    Write(target,
          "Mine\x1E"
          "42 \r\n");  // the user's own edits survive the next start
    Choose(false);
    EXPECT_EQ(Bytes(target),
              "Mine\x1E"
              "42 \r\n");
    ASSERT_TRUE(QFile::remove(target));  // and a set the user deleted stays deleted
    EXPECT_EQ(Choose(false).fileName, target);
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(CommandSetFolderTest, WithoutAnInstalledDemoTheFolderIsStillTheUsers) {
    ASSERT_TRUE(QFile::remove(demo_));
    EXPECT_EQ(Choose(false).directory, user_);
    EXPECT_TRUE(QFileInfo(user_).isDir());
    EXPECT_FALSE(QFileInfo::exists(QDir(user_).filePath("Default.cmd")));
}

TEST_F(CommandSetFolderTest, OnlyAnExistingDirectoryCountsAsWritable) {
    EXPECT_TRUE(IsWritableFolder(bin_));
    const QString file = root_.filePath("a-file");
    Write(file, "x");
    EXPECT_FALSE(IsWritableFolder(file)) << "a file is no folder";
    EXPECT_FALSE(IsWritableFolder(QDir(file).filePath("below")))
        << "nothing can be made below a file";
    EXPECT_FALSE(IsWritableFolder(root_.filePath("missing")));
}

TEST_F(CommandSetFolderTest, DataIsFoundBesideTheExecutableFirstThenInShareKestrum) {
    const QString share = root_.filePath("usr/share/kestrum");
    EXPECT_EQ(DataFolderFor(bin_, "examples/loopback-demo.cmd"), share);
    EXPECT_EQ(DataFolderFor(bin_, "kestrum.hlp"), bin_) << "missing: named where looked first";
    Write(QDir(share).filePath("kestrum.hlp"), "installed");
    EXPECT_EQ(DataFolderFor(bin_, "kestrum.hlp"), share);
    Write(QDir(bin_).filePath("kestrum.hlp"), "build tree");
    EXPECT_EQ(DataFolderFor(bin_, "kestrum.hlp"), bin_);
}

}  // namespace
}  // namespace kestrum
