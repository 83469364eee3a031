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
    EXPECT_EQ(ReadCommandSet(path, &error), SampleSet()) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Default.cmd"})
        << "no temporary file is left behind";
}

TEST(CommandSetFile, UnreadableFileIsReportedApartFromAnEmptySet) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder.cmd");
    // A name typed in the dialog that does not exist; a folder where a file was expected.
    for (const QString& path : {dir.filePath("missing.cmd"), dir.filePath("folder.cmd")}) {
        QString error;
        EXPECT_FALSE(ReadCommandSet(path, &error).has_value()) << path.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    WriteBytes(dir.filePath("empty.cmd"), {});
    EXPECT_EQ(ReadCommandSet(dir.filePath("empty.cmd")), CommandSet{})
        << "an empty file is a successful read of forty empty entries";
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

}  // namespace
}  // namespace kestrum
