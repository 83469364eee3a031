// Capture on its own: log lines that give back every byte, and a full disk that ends the
// capture once, keeping what was written.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "session/capture.h"
#include "storage/file_size_limit.h"

namespace kestrum {
namespace {

TEST(CaptureLog, EveryByteComesBackFromItsLineInEachNotation) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    all += ' ';  // a trailing space is a byte in Ascii, a separator elsewhere
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 3, 7, 123));
    for (const DisplayMode mode : {DisplayMode::Ascii, DisplayMode::Hex, DisplayMode::Decimal}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const std::string line = CaptureLogLine(when, true, all, mode);
        const std::string head = "2026-12-06 14:03:07.123 RX ";
        ASSERT_EQ(line.substr(0, head.size()), head);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << "one line, whatever the bytes";
        if (mode != DisplayMode::Ascii) {
            EXPECT_NE(line[line.size() - 2], ' ') << "no trailing separator";
        }
        const std::string text = line.substr(head.size(), line.size() - head.size() - 1);
        EXPECT_EQ(EncodeTransmitBytes(text, mode), all);
    }
    EXPECT_EQ(CaptureLogLine(when, false, "AT\r", DisplayMode::Hex),
              "2026-12-06 14:03:07.123 TX 41 54 0D\n");
}

TEST(CaptureFile, AFullDiskEndsTheCaptureOnceWithTheReasonAndKeepsWhatWasWritten) {
    QTemporaryDir folder;
    const QString path = folder.filePath("full.bin");
    Capture capture;
    QSignalSpy failed(&capture, &Capture::Failed);
    ASSERT_FALSE(capture.Start(path, CaptureForm::Raw));
    std::string received(3 * capture_text::kFlushBytes, '\0');
    for (std::size_t i = 0; i < received.size(); ++i) {
        received[i] = static_cast<char>(i * 13 % 251);
    }
    {
        const FileSizeLimit limit(100'000);
        ASSERT_TRUE(limit.active());
        capture.Received(received, DisplayMode::Hex);
        capture.Received("more", DisplayMode::Hex);
        capture.Stop();
    }
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0][0].toString(),
              QString::fromLatin1(capture_text::kMsgStopped)
                  .arg(path, QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_FALSE(capture.Running());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), received.substr(0, 100'000));
}

}  // namespace
}  // namespace kestrum
