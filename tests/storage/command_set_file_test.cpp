#include "storage/command_set_file.h"

#include "storage/file_size_limit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kestrum {
namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

CommandSet SampleSet() {
    CommandSet set;
    set[0] = {"Reset", "1B 40 "};
    set[1] = {std::string("\xE9t\xE9", 3), "0D 0A "};  // Latin-1 bytes stay single bytes
    set[39] = {"Last", "FF "};
    return set;
}

TEST(CommandSetFile, WrittenFileHoldsTheSerializedBytesAndReadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Default.cmd");
    WriteBytes(path, QByteArray(5000, 'x'));  // a longer earlier file is replaced, not patched

    QString error;
    ASSERT_TRUE(WriteCommandSet(path, SampleSet(), &error)) << error.toStdString();
    const std::string expected = SerializeCommandSet(SampleSet());
    EXPECT_EQ(FileBytes(path), QByteArray(expected.data(), expected.size()));

    const std::optional<CommandSet> read = ReadCommandSet(path, &error);
    ASSERT_TRUE(read.has_value()) << error.toStdString();
    EXPECT_EQ(*read, SampleSet());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Default.cmd"})
        << "no temporary file is left behind";
}

TEST(CommandSetFile, UnreadableFileIsReportedApartFromAnEmptySet) {
    QTemporaryDir dir;
    struct Case {
        const char* reason;
        QString path;
    };
    QDir(dir.path()).mkdir("folder.cmd");
    const Case cases[] = {
        {"a name typed in the dialog that does not exist", dir.filePath("missing.cmd")},
        {"a folder where a file was expected", dir.filePath("folder.cmd")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        QString error;
        EXPECT_FALSE(ReadCommandSet(c.path, &error).has_value());
        EXPECT_FALSE(error.isEmpty());
    }

    const QString empty = dir.filePath("empty.cmd");
    WriteBytes(empty, {});
    const std::optional<CommandSet> read = ReadCommandSet(empty);
    ASSERT_TRUE(read.has_value()) << "an empty file is a successful read of forty empty entries";
    EXPECT_EQ(*read, CommandSet{});
}

TEST(CommandSetFile, FailedWriteLeavesTheEarlierFileByteIdentical) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Set.cmd");
    const QByteArray earlier =
        "Old\x1E"
        "41 \r\n";
    WriteBytes(path, earlier);

    {
        FileSizeLimit limit(8);  // smaller than any command set file
        ASSERT_TRUE(limit.active());
        QString error;
        EXPECT_FALSE(WriteCommandSet(path, SampleSet(), &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(FileBytes(path), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Set.cmd"})
        << "the partial temporary file is removed";
}

TEST(CommandSetFile, WriteToAnImpossiblePathFails) {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("plain"), "not a folder");
    QDir(dir.path()).mkdir("taken.cmd");
    const QString cases[] = {
        dir.filePath("plain/child.cmd"),  // the parent is a regular file
        dir.filePath("taken.cmd"),        // a folder stands where the file should go
    };
    for (const QString& path : cases) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(WriteCommandSet(path, SampleSet()));
    }
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.cmd")).isDir());
}

}  // namespace
}  // namespace kestrum
