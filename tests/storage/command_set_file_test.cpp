#include "storage/command_set_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

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

TEST(CommandSetFile, ReadingStopsAfterFortyLinesAndRefusesEndlessOrHugeInput) {
    QTemporaryDir dir;
    constexpr qint64 kBeyondTheBound = qint64{300} << 20;  // sparse: no disk used

    // Forty lines, then a long tail without line ends: the tail is never read.
    const QString log = dir.filePath("log.txt");
    WriteBytes(log, QByteArray(SerializeCommandSet(SampleSet()).c_str()));
    ASSERT_TRUE(QFile(log).resize(kBeyondTheBound));
    EXPECT_EQ(ReadCommandSet(log), SampleSet());

    // No line end in sight: refused at the bound, not read until memory runs out.
    const QString blob = dir.filePath("blob.bin");
    WriteBytes(blob, "Label\x1E");
    ASSERT_TRUE(QFile(blob).resize(kBeyondTheBound));
    QString error;
    EXPECT_FALSE(ReadCommandSet(blob, &error).has_value());
    EXPECT_EQ(error, "The file is too large to be a command set");

    // A device that never ends and a pipe nobody writes to: refused without reading.
    const QString fifo = dir.filePath("pipe.cmd");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& path : {QStringLiteral("/dev/zero"), fifo}) {
        EXPECT_FALSE(ReadCommandSet(path, &error).has_value()) << path.toStdString();
        EXPECT_EQ(error, "Not a regular file");
    }
}

}  // namespace
}  // namespace kestrum
