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
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class CommandSetFolderTest : public ::testing::Test {
protected:
    CommandSetDefaults Choose(bool executableFolderWritable) {
        return ChooseCommandSetDefaults(bin_, user_, demo_,
                                        [this, executableFolderWritable](const QString& folder) {
                                            EXPECT_EQ(folder, bin_);
                                            return executableFolderWritable;
                                        });
    }

    QTemporaryDir root_;
    QString bin_ = root_.filePath("usr/bin");
    QString share_ = root_.filePath("usr/share/kestrum");
    QString demo_ = share_ + "/examples/loopback-demo.cmd";
    QString user_ = root_.filePath("home/.local/share/Kestrum");
    QString target_ = user_ + "/Default.cmd";
};

TEST_F(CommandSetFolderTest, AWritableExecutableFolderKeepsItsDefaultsAndTouchesNothing) {
    Write(demo_,
          "Demo\x1E"
          "41 \r\n");
    const CommandSetDefaults defaults = Choose(true);
    EXPECT_EQ(defaults.directory, bin_);
    EXPECT_EQ(defaults.fileName, "Default.cmd") << "relative: the current folder, as always";
    EXPECT_FALSE(QFileInfo::exists(user_));
}

TEST_F(CommandSetFolderTest, OtherwiseTheUsersFolderIsSeededWithTheDemoOnItsFirstStartOnly) {
    EXPECT_EQ(Choose(false).fileName, target_) << "no demo installed: the folder still counts";
    EXPECT_FALSE(QFileInfo::exists(target_));

    ASSERT_TRUE(QDir(user_).removeRecursively());
    Write(demo_,
          "Demo\x1E"
          "41 \r\n");
    QFile::setPermissions(demo_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_EQ(Choose(false).directory, user_);
    EXPECT_EQ(Bytes(target_), Bytes(demo_));
    EXPECT_TRUE(QFileInfo(target_).permissions() & QFile::WriteOwner) << "the user's to edit";

    ASSERT_TRUE(QFile::remove(target_));  // a set the user deleted stays deleted
    Choose(false);
    EXPECT_FALSE(QFileInfo::exists(target_));
}

TEST_F(CommandSetFolderTest, OnlyAnExistingDirectoryCountsAsWritable) {
    QDir().mkpath(bin_);
    const QString file = root_.filePath("a-file");
    Write(file, "x");
    EXPECT_TRUE(IsWritableFolder(bin_));
    EXPECT_FALSE(IsWritableFolder(file)) << "no folder (as one that is missing or below a file)";
}

TEST_F(CommandSetFolderTest, DataIsFoundBesideTheExecutableFirstThenInShareKestrum) {
    EXPECT_EQ(DataFolderFor(bin_, "kestrum.hlp"), bin_) << "missing: named where looked first";
    Write(share_ + "/kestrum.hlp", "installed");
    EXPECT_EQ(DataFolderFor(bin_, "kestrum.hlp"), share_);
    Write(bin_ + "/kestrum.hlp", "build tree");
    EXPECT_EQ(DataFolderFor(bin_, "kestrum.hlp"), bin_);
}

}  // namespace
}  // namespace kestrum
